// Any value the user.DOSATTRIB codec accepts must come back from a rewrite
// in the same form with every field but the attribute untouched, and must
// read back as exactly what was written.

#include "platform/DosAttribCodec.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace dosattrib = umbrix::platform::dosattrib;

namespace {

uint32_t readU32(std::string_view bytes, size_t offset)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i)
        value |= uint32_t{static_cast<unsigned char>(bytes[offset + i])} << (8 * i);
    return value;
}

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// The record of a binary value with the attrib field and the attrib-valid
// flag cleared: what a rewrite must leave as it was.
std::string untouchedPart(std::string_view value, const dosattrib::Parsed& parsed)
{
    std::string body(value.substr(parsed.bodyOffset));
    const size_t attrib = parsed.attribOffset - parsed.bodyOffset;
    std::memset(body.data() + attrib, 0, 4);
    if (parsed.version >= 3)
        body[0] = static_cast<char>(body[0] & ~dosattrib::ValidAttrib);
    return body;
}

// The hex prefix of a binary value, "" for none.
std::string_view prefixOf(std::string_view value)
{
    return value.substr(0, value.find('\0'));
}

void checkRewrite(std::string_view value, const dosattrib::Parsed& parsed, uint32_t attrib)
{
    const std::string out = dosattrib::withAttrib(value, parsed, attrib);
    dosattrib::Parsed again;
    require(dosattrib::parse(out, again));
    require(again.attrib == attrib && again.attribValid);
    require(again.text == parsed.text && again.version == parsed.version);
    if (parsed.text) {
        require((value.back() == '\0') == (out.back() == '\0'));
    } else {
        require(untouchedPart(value, parsed) == untouchedPart(out, again));
        // The flags other than attrib-valid stay as they were.
        if (parsed.version >= 3)
            require((readU32(value, parsed.bodyOffset) | dosattrib::ValidAttrib) ==
                    readU32(out, again.bodyOffset));
        // Wine reads the prefix: it follows the value, and an empty one stays empty.
        const std::string_view prefix = prefixOf(out);
        require(prefix.empty() == prefixOf(value).empty());
        if (!prefix.empty()) {
            dosattrib::Parsed text;
            require(dosattrib::parse(prefix, text) && text.attrib == attrib);
        }
    }
    // Rewriting the rewrite with the same word changes no byte.
    require(dosattrib::withAttrib(out, again, attrib) == out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    dosattrib::Parsed parsed;
    if (!dosattrib::parse(value, parsed))
        return 0;
    checkRewrite(value, parsed, parsed.attrib);
    for (const uint32_t attrib : {0u, 0x2u, 0x27u, 0x80u, 0x10000u, 0xFFFFFFFFu})
        checkRewrite(value, parsed, attrib);
    return 0;
}
