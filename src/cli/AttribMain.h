#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace umbrix::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

// The whole command for argv (argv[0] is the program), with its results on
// `out` and its complaints on `err`; returns the exit status.  The journal
// is the caller's to install; `journalFolder` is where --undo looks.
int attribMain(const std::vector<std::string>& argv, std::FILE* out, std::FILE* err,
               const std::string& journalFolder);

} // namespace umbrix::cli
