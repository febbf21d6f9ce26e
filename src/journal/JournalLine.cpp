#include "journal/JournalLine.h"

#include "platform/PathText.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <unistd.h>
#include <vector>

namespace umbrix {
namespace {

constexpr std::string_view kHeader = "# Umbrix attribute journal 2: ";
constexpr std::string_view kStarted = ", started ";

void appendHex(std::string& out, uint8_t b)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    out += "\\x";
    out += hex[b >> 4];
    out += hex[b & 0xF];
}

size_t sequenceLength(uint8_t lead)
{
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

bool plainByte(uint8_t b)
{
    return b >= 0x20 && b < 0x7F && b != '\\';
}

void appendEscapedPath(std::string& out, std::string_view bytes)
{
    for (size_t i = 0; i < bytes.size();) {
        // Paths are nearly all plain ASCII: whole runs of it go in at once.
        size_t plain = i;
        while (plain < bytes.size() && plainByte(static_cast<uint8_t>(bytes[plain])))
            ++plain;
        out.append(bytes.substr(i, plain - i));
        if ((i = plain) == bytes.size())
            break;
        const auto b = static_cast<uint8_t>(bytes[i]);
        const size_t len = sequenceLength(b);
        if (b >= 0x80 && len > 1 && i + len <= bytes.size() &&
            displaysVerbatim(bytes.substr(i, len))) {
            out.append(bytes.substr(i, len));
            i += len;
            continue;
        }
        appendHex(out, b);
        ++i;
    }
}

void appendDigits(std::string& out, unsigned value, int digits)
{
    char text[10];
    for (int i = digits - 1; i >= 0; --i, value /= 10)
        text[i] = static_cast<char>('0' + value % 10);
    out.append(text, static_cast<size_t>(digits));
}

void appendWord(std::string& out, uint32_t word)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    char text[10] = {'0', 'x'};
    for (int i = 0; i < 8; ++i)
        text[2 + i] = hex[(word >> (28 - 4 * i)) & 0xF];
    out.append(text, sizeof text);
}

// A run writes thousands of records a second: the date and time down to the
// second are worked out once per second.
void appendTime(std::string& out, int64_t microseconds)
{
    thread_local int64_t second = -1;
    thread_local std::string secondText;
    if (microseconds / 1000000 != second) {
        second = microseconds / 1000000;
        const time_t seconds = static_cast<time_t>(second);
        struct tm tm {};
        gmtime_r(&seconds, &tm);
        char text[96];
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.", tm.tm_year + 1900,
                      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
        secondText = text;
    }
    out += secondText;
    appendDigits(out, static_cast<unsigned>(microseconds % 1000000), 6);
    out += 'Z';
}

bool unescapePath(std::string_view text, std::string& bytes)
{
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 3 >= text.size())
            return false;
        if (text[i + 1] != 'x' ||
            std::from_chars(text.data() + i + 2, text.data() + i + 4, value, 16).ptr !=
                text.data() + i + 4)
            return false;
        bytes += static_cast<char>(value);
        i += 3;
    }
    return true;
}

bool parseWord(std::string_view text, uint32_t& word)
{
    if (text.size() != 10 || !text.starts_with("0x"))
        return false;
    return std::from_chars(text.data() + 2, text.data() + text.size(), word, 16).ptr ==
           text.data() + text.size();
}

bool parseTimeText(std::string_view text, int64_t& microseconds)
{
    // 2024-05-01T12:00:00.123456Z
    if (text.size() != 27 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != '.' || text[26] != 'Z')
        return false;
    const auto number = [&](size_t at, size_t length, int& value) {
        return std::from_chars(text.data() + at, text.data() + at + length, value).ptr ==
               text.data() + at + length;
    };
    struct tm tm {};
    int micro = 0;
    if (!number(0, 4, tm.tm_year) || !number(5, 2, tm.tm_mon) || !number(8, 2, tm.tm_mday) ||
        !number(11, 2, tm.tm_hour) || !number(14, 2, tm.tm_min) || !number(17, 2, tm.tm_sec) ||
        !number(20, 6, micro))
        return false;
    tm.tm_year -= 1900;
    tm.tm_mon -= 1;
    microseconds = static_cast<int64_t>(timegm(&tm)) * 1000000 + micro;
    return true;
}

bool parseIdentity(std::string_view text, platform::JournalIdentity& identity)
{
    const size_t colon = text.find(':');
    const char* end = text.data() + text.size();
    return colon != std::string_view::npos &&
           std::from_chars(text.data(), text.data() + colon, identity.device).ptr ==
               text.data() + colon &&
           std::from_chars(text.data() + colon + 1, end, identity.inode).ptr == end;
}

std::vector<std::string_view> fields(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
        out.push_back(line.substr(start, tab - start));
    out.push_back(line.substr(start));
    return out;
}

} // namespace

std::string journalTime(int64_t microseconds)
{
    std::string text;
    appendTime(text, microseconds);
    return text;
}

void appendJournalLine(std::string& out, int64_t microseconds, std::string_view store,
                       std::string_view path, platform::JournalIdentity identity, uint32_t before,
                       uint32_t after, std::string_view to)
{
    appendTime(out, microseconds);
    out += '\t';
    out += store;
    out += '\t';
    appendWord(out, before);
    out += '\t';
    appendWord(out, after);
    out += '\t';
    char number[48];
    char* end = std::to_chars(number, number + 20, identity.device).ptr;
    *end++ = ':';
    end = std::to_chars(end, number + sizeof number, identity.inode).ptr;
    out.append(number, static_cast<size_t>(end - number));
    out += '\t';
    appendEscapedPath(out, path);
    if (!to.empty()) {
        out += '\t';
        appendEscapedPath(out, to);
    }
    out += '\n';
}

std::string journalLine(const JournalRecord& record)
{
    std::string line;
    appendJournalLine(line, record.microseconds, record.store, record.path, record.identity,
                      record.before, record.after, record.to);
    return line;
}

bool parseJournalLine(std::string_view line, JournalRecord& record)
{
    std::vector<std::string_view> parts = fields(line);
    record.to.clear();
    if (parts.size() == 7 && parts[1] == kMoveRecord) {
        if (parts[6].empty() || !unescapePath(parts[6], record.to))
            return false;
        parts.pop_back();
    }
    // Journals of the first kind had no device:inode before the path.
    const bool identified = parts.size() == 6;
    record.identity = {};
    return (identified || parts.size() == 5) && parseTimeText(parts[0], record.microseconds) &&
           !parts[1].empty() && parseWord(parts[2], record.before) &&
           parseWord(parts[3], record.after) &&
           (!identified || parseIdentity(parts[4], record.identity)) && !parts.back().empty() &&
           unescapePath(parts.back(), record.path) && (record.store.assign(parts[1]), true);
}

std::string journalHeader(std::string_view program, int64_t startMicroseconds)
{
    return std::string(kHeader) + std::string(program) + ", process " + std::to_string(::getpid()) +
           std::string(kStarted) + journalTime(startMicroseconds) + "\n";
}

bool parseJournalHeader(std::string_view line, int64_t& startMicroseconds)
{
    const size_t at = line.rfind(kStarted);
    return line.starts_with(kHeader) && at != std::string_view::npos &&
           parseTimeText(line.substr(at + kStarted.size()), startMicroseconds);
}

} // namespace umbrix
