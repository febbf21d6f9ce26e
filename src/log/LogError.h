#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace umbrix {

// Appends one line (see formatLogLine) for a failure to the error log file
// and closes the file again.  Never throws and never reports anything: a line
// that cannot be written is lost.
//
// The file is the program's upper-cased name with ".log" ("UMBRIX.log")
// beside the program when it runs from the folder it was built in, and in
// the user's data folder ($XDG_DATA_HOME/Umbrix, made when missing) once it
// is installed, or where the build folder cannot be written.  The folder is
// chosen on the first line of a run and kept.  Texts are UTF-8 and written
// as they are.
//
// Only a regular file is written: where something else sits at the log path
// (a FIFO, a symbolic link, a folder) the line goes to the user's data
// folder's log instead, and nothing ever waits for a reader.
void LogError(const std::string& ProcName, const std::string& Message, int32_t ErrNumber,
              const std::string& Detail) noexcept;

// The folder the log of `program` goes to: beside it when it lies in
// `buildTree` and that folder can take the file `fileName`, else
// `dataFolder()` (beside it only when there is no data folder at all).
std::string logFolderFor(const std::string& program, const std::string& buildTree,
                         const std::string& fileName,
                         const std::function<std::string()>& dataFolder);

// The full path the next line goes to (chosen now if no line was written yet).
std::string logFilePath();

// While alive, the log file lies in `folder` instead, and the choice of the
// folder starts afresh afterwards; a non-empty `fallback` stands in for the
// user's data folder.  For tests.
class ScopedLogFolder {
public:
    explicit ScopedLogFolder(std::string folder, std::string fallback = {});
    ~ScopedLogFolder();
    ScopedLogFolder(const ScopedLogFolder&) = delete;
    ScopedLogFolder& operator=(const ScopedLogFolder&) = delete;

private:
    std::string previous_;
    std::string previousFallback_;
};

} // namespace umbrix
