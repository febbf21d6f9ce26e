#include "platform/DosAttribCodec.h"

#include "support/SambaTool.h"
#include "support/TempDir.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/xattr.h>

namespace dosattrib = umbrix::platform::dosattrib;
using namespace std::string_literals;
using umbrix::test::patched;

namespace {

std::string fromHex(const std::string& hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

// Values as Samba's own NDR encoder writes them (attrib 0x22 unless noted).
const std::string SambaV1 =
    fromHex("3078323200000100010000002200000000000000000000000000000000000000"
            "00000000010000000000d0010000000000000000");
// attrib 0x21, flags 7, write time 5, name "ab"
const std::string SambaV2 =
    fromHex("3078323100000200020000000700000021000000000000000000000000000000"
            "0000000000000000000000000000000000000000000000000500000000000000"
            "616200");
const std::string SambaV3 =
    fromHex("3078323200000300030000001100000022000000000000000000000000000000"
            "0000000000000000010000000000d0010000000000000000");
const std::string SambaV4 =
    fromHex("0000040004000000510000002200000008070605040302011817161514131211");
const std::string SambaV5 = fromHex("00000500050000001100000022000000010000000000d001");
// Read-only with a one-digit prefix: the record starts at offset 8, not 12.
const std::string SambaV3ShortPrefix =
    fromHex("30783100030003003f000000010000000900000034120000000000000020000000000000010000000000"
            "d001020000000000d001");

dosattrib::Parsed parsed(const std::string& value)
{
    dosattrib::Parsed p;
    EXPECT_TRUE(dosattrib::parse(value, p)) << "not parsed";
    return p;
}

} // namespace

TEST(DosAttribCodec, TextFormWithAndWithoutNul)
{
    const auto p = parsed("0x22\0"s);
    EXPECT_TRUE(p.text);
    EXPECT_EQ(p.attrib, 0x22u);
    EXPECT_EQ(dosattrib::withAttrib("0x22\0"s, p, 0x3), "0x3\0"s);
    // Wine writes the text without a NUL, in upper-case digits.
    EXPECT_EQ(dosattrib::withAttrib("0x2A", parsed("0x2A"), 0x120), "0x120");
    EXPECT_EQ(parsed("0x00000000ffffffff").attrib, 0xFFFFFFFFu);
}

TEST(DosAttribCodec, EveryBinaryVersionReadsAndRewritesOnlyItsAttrib)
{
    struct Case {
        const std::string* value;
        uint16_t version;
        uint32_t attrib;
        size_t attribOffset;
        char rewritten;     // fits the prefix's width, so the value keeps its length
        const char* prefix; // the rewritten value's; an empty one stays empty
    } cases[] = {
        {&SambaV1, 1, 0x22, 12, 0x3, "0x03"},  {&SambaV2, 2, 0x21, 16, 0x2, "0x02"},
        {&SambaV3, 3, 0x22, 16, 0x27, "0x27"}, {&SambaV4, 4, 0x22, 12, 0x4, ""},
        {&SambaV5, 5, 0x22, 12, 0x0, ""},      {&SambaV3ShortPrefix, 3, 0x1, 12, 0x9, "0x9"},
    };
    // Samba's decoder judges each rewritten value too, where it can run.
    const umbrix::test::TempDir tmp;
    const umbrix::test::SambaTool samba(tmp);
    const std::string file = tmp / "judged";
    umbrix::test::makeFile(file);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "version " << c.version << ", " << c.value->size() << " bytes");
        const auto p = parsed(*c.value);
        EXPECT_FALSE(p.text);
        EXPECT_EQ(p.version, c.version);
        EXPECT_EQ(p.attrib, c.attrib);
        EXPECT_EQ(p.attribOffset, c.attribOffset);
        EXPECT_TRUE(p.attribValid);
        const std::string rewritten =
            dosattrib::withAttrib(*c.value, p, static_cast<uint8_t>(c.rewritten));
        EXPECT_EQ(rewritten,
                  patched(patched(*c.value, 0, c.prefix), c.attribOffset, c.rewritten + "\0\0\0"s));
        if (!samba.missing().empty())
            continue;
        ASSERT_EQ(
            ::setxattr(file.c_str(), dosattrib::XattrName, rewritten.data(), rewritten.size(), 0),
            0);
        char attrib[24];
        std::snprintf(attrib, sizeof attrib, " attrib=0x%x", static_cast<unsigned>(c.rewritten));
        const std::string decoded = samba.run(file, {"decode"});
        EXPECT_NE(decoded.find(attrib), std::string::npos) << decoded;
    }
    // A longer prefix lays the header out again and keeps the record.
    EXPECT_EQ(dosattrib::withAttrib(SambaV3ShortPrefix, parsed(SambaV3ShortPrefix), 0x21),
              "0x21\0\0\x03\0\x03\0\0\0\x3f\0\0\0\x21\0\0\0"s + SambaV3ShortPrefix.substr(16));
}

TEST(DosAttribCodec, AFreshValueIsWhatSambaWritesWithAnNtTime)
{
    // Byte for byte Samba's version 3 record for the same word and time.
    ASSERT_EQ(SambaV3.size(), dosattrib::FreshSize);
    EXPECT_EQ(dosattrib::fresh(0x22, 0x01D0000000000001ULL), SambaV3);
    // Times count 100 ns steps from 1601.
    EXPECT_EQ(dosattrib::ntTime(0, 0), 116444736000000000ULL);
    EXPECT_EQ(dosattrib::ntTime(1, 999), 116444736010000009ULL);
    EXPECT_EQ(dosattrib::ntTime(-11644473601LL, 0), 0u);
}

TEST(DosAttribCodec, AnythingElseIsRefused)
{
    // After the malformed text: a NUL too many for the text form, a level
    // other than the version, an unknown version, a prefix that is not hex, a
    // record cut short and a name without its NUL.
    // clang-format off
    const std::string refused[] = {
        ""s, "\0"s, "0x"s, "0xzz"s, "22"s, "0X22"s, "0x22 "s, "0x100000000"s, "hello\0"s,
        "0x22\0\0"s, "0x22\0\0\x03\0\x04\0"s, "0x22\0\0\x06\0\x06\0"s + std::string(48, '\0'),
        "0xq2\0\0\x05\0\x05\0\0\0"s + std::string(16, '\0'), SambaV3.substr(0, SambaV3.size() - 1),
        SambaV2.substr(0, SambaV2.size() - 1)};
    // clang-format on
    for (const std::string& value : refused) {
        dosattrib::Parsed p;
        EXPECT_FALSE(dosattrib::parse(value, p))
            << "accepted a value of " << value.size() << " bytes";
    }
}
