#pragma once

#include <cstdint>
#include <string>

namespace umbrix::test {

// A shortcut as the shell writes one, laid out from the published Shell
// Link format: the 76-byte header, a LinkInfo with the volume and the local
// base path when `localPath` is given, then the Unicode strings.
struct ShellLinkLayout {
    std::string localPath; // "E:\\x.exe", ANSI
    std::string relativePath;
    std::string workingDirectory;
    std::string arguments;
    uint32_t driveType = 2; // removable
};

inline std::string shellLinkBytes(const ShellLinkLayout& layout)
{
    std::string out;
    const auto u16 = [&](uint32_t v) { out += static_cast<char>(v & 0xFF), out += static_cast<char>(v >> 8 & 0xFF); };
    const auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    const auto text = [&](const std::string& s) {
        u16(static_cast<uint32_t>(s.size()));
        for (const char c : s)
            u16(static_cast<unsigned char>(c));
    };
    uint32_t flags = 0x80; // IsUnicode
    flags |= layout.localPath.empty() ? 0 : 0x02;
    flags |= layout.relativePath.empty() ? 0 : 0x08;
    flags |= layout.workingDirectory.empty() ? 0 : 0x10;
    flags |= layout.arguments.empty() ? 0 : 0x20;
    u32(0x4C);
    out += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
    u32(flags);
    u32(0x20); // archive
    out += std::string(24, '\0'); // three FILETIMEs
    u32(0);                       // file size
    u32(0);                       // icon index
    u32(1);                       // SW_SHOWNORMAL
    out += std::string(12, '\0'); // hot key, reserved
    if (!layout.localPath.empty()) {
        const std::string label = "STICK";
        const uint32_t volumeSize = 16 + static_cast<uint32_t>(label.size()) + 1;
        const uint32_t headerSize = 0x1C;
        const uint32_t pathOffset = headerSize + volumeSize;
        const uint32_t suffixOffset = pathOffset + static_cast<uint32_t>(layout.localPath.size()) + 1;
        u32(suffixOffset + 1); // LinkInfoSize
        u32(headerSize);
        u32(1); // VolumeIDAndLocalBasePath
        u32(headerSize);
        u32(pathOffset);
        u32(0); // no network part
        u32(suffixOffset);
        u32(volumeSize);
        u32(layout.driveType);
        u32(0x1234ABCD); // serial number
        u32(0x10);       // label offset
        out += label + '\0';
        out += layout.localPath + '\0';
        out += '\0'; // empty common path suffix
    }
    if (!layout.relativePath.empty())
        text(layout.relativePath);
    if (!layout.workingDirectory.empty())
        text(layout.workingDirectory);
    if (!layout.arguments.empty())
        text(layout.arguments);
    u32(0); // terminal block
    return out;
}

} // namespace umbrix::test
