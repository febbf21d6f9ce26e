#include "platform/CBoolean.h"

#include "platform/NumberPrefix.h"

#include <array>
#include <locale.h>
#include <string>
#include <wctype.h>

namespace umbrix {
namespace {

// The words may come back in any case and in any script the user typed, so
// lower-casing has to go beyond ASCII ("SÌ").  The C.UTF-8 locale has the
// Unicode case tables whatever the process locale is.
locale_t utf8CaseLocale()
{
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return locale;
}

char32_t lowerCodePoint(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
    if (const locale_t locale = utf8CaseLocale())
        return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale));
    // Without the locale at least the accented Latin-1 capitals are known.
    return (c >= 0xC0 && c <= 0xDE && c != 0xD7) ? c + 0x20 : c;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Bytes that are not well-formed UTF-8 are kept as they are: they can match
// no word anyway.
std::string lowerUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t c = 0;
        if (lead < 0x80) {
            length = 1;
            c = lead;
        } else if ((lead & 0xE0) == 0xC0 && lead >= 0xC2) {
            length = 2;
            c = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0 && lead <= 0xF4) {
            length = 4;
            c = lead & 0x07;
        }
        bool valid = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates are not characters.
        if (valid && ((length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
                      (length == 4 && (c < 0x10000 || c > 0x10FFFF))))
            valid = false;
        if (!valid) {
            out += text[i];
            ++i;
            continue;
        }
        appendUtf8(out, lowerCodePoint(c));
        i += length;
    }
    return out;
}

constexpr std::array<std::string_view, 8> kTrueWords = {"on",      "true", "vero",      "1",
                                                        "enabled", "si",   "s\xC3\xAC", "yes"};
constexpr std::array<std::string_view, 6> kFalseWords = {"off", "false",    "falso",
                                                         "0",   "disabled", "no"};

} // namespace

bool CBoolean(std::string_view text)
{
    const std::string lower = lowerUtf8(text);
    for (std::string_view word : kTrueWords)
        if (lower == word)
            return true;
    for (std::string_view word : kFalseWords)
        if (lower == word)
            return false;
    return readNumberPrefix(text) != 0.0;
}

} // namespace umbrix
