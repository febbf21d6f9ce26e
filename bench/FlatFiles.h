#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace umbrix::bench {

// The flat trees the command benchmarks make: a thousand files a folder,
// folders and files numbered in the order they are made.
inline constexpr int64_t kFilesPerFolder = 1000;

// "<root>/dNNN/", the folder of file `i`.
inline std::string folderOf(const std::string& root, int64_t i)
{
    char name[32];
    std::snprintf(name, sizeof name, "/d%03lld/", static_cast<long long>(i / kFilesPerFolder));
    return root + name;
}

// File `i`'s name: `prefix` and six digits.
inline std::string numberedFile(char prefix, int64_t i)
{
    char name[32];
    std::snprintf(name, sizeof name, "%c%06lld", prefix, static_cast<long long>(i));
    return name;
}

// Makes file `i` holding `content` (and its folder, with the folder's first
// file) and returns its path.  Throws std::runtime_error.
inline std::string makeFlatFile(const std::string& root, int64_t i, char prefix,
                                std::string_view content = {})
{
    const std::string folder = folderOf(root, i);
    if (i % kFilesPerFolder == 0 && mkdir(folder.c_str(), 0755) != 0)
        throw std::runtime_error("mkdir " + folder + ": " + std::strerror(errno));
    const std::string path = folder + numberedFile(prefix, i);
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (!f)
        throw std::runtime_error("create " + path + ": " + std::strerror(errno));
    const bool written =
        content.empty() || std::fwrite(content.data(), 1, content.size(), f) == content.size();
    if (std::fclose(f) != 0 || !written)
        throw std::runtime_error("write " + path + ": " + std::strerror(errno));
    return path;
}

} // namespace umbrix::bench
