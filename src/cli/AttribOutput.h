#pragma once

#include "cli/ProgressLine.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace umbrix::cli {

enum class OutputFormat {
    Text, // attrib's columns and the path as the window shows it
    Nul,  // raw path bytes, each followed by NUL
    Json, // one object a line
};

// attrib's eleven columns for `word`: A, two blanks, S, H, R, five blanks.
std::string attributeColumns(uint32_t word);

std::string base64(std::string_view bytes);

// One entry the command met, as every format needs it.  `note` is what
// became of it ("unhidden", "left alone: changed since"...), "" for nothing
// worth saying.
struct EntryReport {
    std::string_view path;
    std::string_view store;
    uint32_t before = 0;
    uint32_t after = 0;
    std::string_view note;
};

// The "path", "path_base64", "store", "before", "after" (and "note") object.
std::string jsonObject(const EntryReport& entry);

// Where a command's results and complaints go.  Counts the complaints, which
// decide the exit status.
class Output {
public:
    Output(std::FILE* out, std::FILE* err, OutputFormat format, ProgressLine& progress)
        : out_(out), err_(err), format_(format), progress_(progress)
    {}

    OutputFormat format() const { return format_; }
    ProgressLine& progress() { return progress_; }

    // An entry listed by attrib's columns (text), its path (NUL) or its
    // object (JSON).
    void listed(const EntryReport& entry);
    // A result line for people only, e.g. "Restored - PATH"; the other
    // formats give `entry` as listed() does.
    void told(const std::string& line, const EntryReport& entry);
    // A line for people that the script formats leave out (totals).
    void summary(const std::string& line);
    // A text line of `lead` and then `path` as people read it: each listed
    // entry's line, written without a copy of either.
    void entryLine(std::string_view lead, std::string_view path);
    // A failure: "MESSAGE - PATH" on stderr, and failed() from then on.
    void failure(const std::string& message, std::string_view path);
    // A failure without a path.
    void failure(const std::string& message);
    // Something asked that was not done, though no failure was written: the
    // exit status says so.
    void notDone() { ++failures_; }
    // A line on stderr that is no failure of the command.
    void warning(const std::string& message);

    bool failed() const { return failures_ > 0; }
    int64_t failures() const { return failures_; }

private:
    std::FILE* out_;
    std::FILE* err_;
    OutputFormat format_;
    ProgressLine& progress_;
    int64_t failures_ = 0;
};

} // namespace umbrix::cli
