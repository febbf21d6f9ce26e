#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace umbrix::bench {

// The delete and copy commands through the window against the tools a
// person would otherwise use: (f) deleting a found tree, its one result row
// deleted with Ctrl+Shift+Delete, against `rm -rf` of an identical tree;
// (g) copying selected result files through the copy command, its folder
// dialog answered, against `cp -a --preserve=all` of the same files.

// `count` files of 1 KiB below `root`, a thousand a folder, each hidden +
// archive in user.DOSATTRIB.  Returns their paths in the order the result
// list sorts them.  Throws std::runtime_error.
std::vector<std::string> buildCopyFiles(const std::string& root, int64_t count);

// Entries below `root` (links included, `root` itself not); -1 when it is gone.
int64_t countEntries(const std::string& root);

// How many of `sources` have a copy in `target` with the same size and the
// same user.DOSATTRIB value.
int64_t countFaithfulCopies(const std::vector<std::string>& sources, const std::string& target);

// Runs a program (rm, cp) and returns its wall seconds.  Throws
// std::runtime_error when it fails.
double timeProgram(const std::vector<std::string>& args);

struct FileCommandResult {
    double seconds = 0;
    double cpuSeconds = 0;
    int64_t rowsBefore = 0;
    int64_t rowsAfter = 0;
    int64_t messages = 0; // message boxes shown (the copy's completion message is one)
    int64_t yields = 0;
    double longestGapMs = 0;
    double longestGapCpuMs = 0;
};

// The child's side.  "delete": lists the folder `root` as the one result
// row and deletes it with Ctrl+Shift+Delete.  "copy": lists the `count`
// files of buildCopyFiles below `root`, selects them all and copies them
// into `target`.  Prints one result line.
int fileCommandRunMain(int argc, char** argv, const std::string& kind, const std::string& root,
                       const std::string& settings, int64_t count, const std::string& target);

// Runs fileCommandRunMain in a fresh process and reads its line.
FileCommandResult runFileCommandWindow(const std::string& kind, const std::string& root,
                                       const std::string& settings, int64_t count,
                                       const std::string& target);

// Timings of the file command rows.
struct FileCommandFigures {
    int64_t treeEntries = 0;
    int64_t copyFiles = 0;
    std::vector<double> rawDelete, windowDelete, windowDeleteCpu; // seconds
    std::vector<double> rawCopy, windowCopy, windowCopyCpu;
    double deleteGapMs = 0, deleteGapCpuMs = 0, copyGapMs = 0, copyGapCpuMs = 0;
};

void printFileCommandReport(std::FILE* out, const FileCommandFigures& figures, int runs);

} // namespace umbrix::bench
