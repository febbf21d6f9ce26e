#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

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

} // namespace umbrix::bench
