#include "cli/AttribOutput.h"

#include "platform/AttributeStore.h"
#include "platform/PathText.h"

namespace umbrix::cli {
namespace {

namespace Attr = platform::Attr;

// One thread writes the output, so the stream's lock is only overhead.
void put(std::FILE* file, std::string_view text)
{
    fwrite_unlocked(text.data(), 1, text.size(), file);
}

// Display text is valid UTF-8 without control characters, so quotes and
// backslashes are all JSON needs escaped.
void appendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    out += '"';
}

} // namespace

std::string attributeColumns(uint32_t word)
{
    std::string columns(11, ' ');
    if (word & Attr::Archive)
        columns[0] = 'A';
    if (word & Attr::System)
        columns[3] = 'S';
    if (word & Attr::Hidden)
        columns[4] = 'H';
    if (word & Attr::ReadOnly)
        columns[5] = 'R';
    return columns;
}

std::string base64(std::string_view bytes)
{
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const uint32_t n = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16 |
                           static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8 |
                           static_cast<uint8_t>(bytes[i + 2]);
        out += alphabet[n >> 18];
        out += alphabet[(n >> 12) & 63];
        out += alphabet[(n >> 6) & 63];
        out += alphabet[n & 63];
    }
    if (i < bytes.size()) {
        uint32_t n = static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << 16;
        if (i + 1 < bytes.size())
            n |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
        out += alphabet[n >> 18];
        out += alphabet[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::string jsonObject(const EntryReport& entry)
{
    std::string out = "{\"path\":";
    appendJsonString(out, displayText(entry.path));
    out += ",\"path_base64\":\"" + base64(entry.path) + "\",\"store\":";
    appendJsonString(out, entry.store);
    out += ",\"before\":" + std::to_string(entry.before);
    out += ",\"after\":" + std::to_string(entry.after);
    if (!entry.note.empty()) {
        out += ",\"note\":";
        appendJsonString(out, displayText(entry.note));
    }
    out += "}\n";
    return out;
}

void Output::listed(const EntryReport& entry)
{
    progress_.clearForOutput();
    switch (format_) {
    case OutputFormat::Text:
        entryLine(attributeColumns(entry.after), entry.path);
        break;
    case OutputFormat::Nul:
        put(out_, entry.path);
        std::fputc('\0', out_);
        break;
    case OutputFormat::Json:
        put(out_, jsonObject(entry));
        break;
    }
}

void Output::told(const std::string& line, const EntryReport& entry)
{
    progress_.clearForOutput();
    if (format_ == OutputFormat::Text)
        put(out_, line + "\n");
    else
        listed(entry);
}

void Output::summary(const std::string& line)
{
    progress_.clearForOutput();
    if (format_ == OutputFormat::Text)
        put(out_, line + "\n");
}

void Output::entryLine(std::string_view lead, std::string_view path)
{
    progress_.clearForOutput();
    put(out_, lead);
    if (displaysVerbatim(path))
        put(out_, path);
    else
        put(out_, displayText(path));
    fputc_unlocked('\n', out_);
}

void Output::failure(const std::string& message, std::string_view path)
{
    failure(message + " - " + displayText(path));
}

void Output::failure(const std::string& message)
{
    ++failures_;
    warning(message);
}

void Output::warning(const std::string& message)
{
    // Results and complaints interleave on a terminal as they happened.
    progress_.clear();
    std::fflush(out_);
    put(err_, message + "\n");
    std::fflush(err_);
}

} // namespace umbrix::cli
