#pragma once

#include "journal/JournalLine.h"
#include "platform/FileDescriptor.h"

#include <cstdint>
#include <string>
#include <vector>

namespace umbrix {

// $XDG_DATA_HOME/Umbrix/journal, ~/.local/share/Umbrix/journal without it.
std::string journalFolder();

// Opens `path` as a folder of the user's own: never through a link in its
// last component, a folder, owned by the user, closed to everyone else (a
// folder of the user's own that others may enter is closed).  With `create`
// the missing folders of the path are made, each mode 0700.  "" or, for
// people, what is wrong with it.
std::string openPrivateFolder(const std::string& path, bool create,
                              platform::FileDescriptor& folder);

// Where the records of a journal that cannot be written go instead: a
// folder of the user's own in $XDG_RUNTIME_DIR, else a new folder of an
// unforeseeable name in $TMPDIR (or /tmp), which no one else can have put
// there first.  "" when neither can be made.
std::string openRescueFolder(platform::FileDescriptor& folder);

// A journal file: a regular file of the user's whose name ends in ".journal".
struct JournalFileInfo {
    std::string name;
    std::string path;
    int64_t started = 0; // the run's start as its first line says (else the file's mtime)
    uint64_t bytes = 0;
};
// The journal files of the open folder `folderFd` (named `folder`), the
// oldest run first.
std::vector<JournalFileInfo> journalFilesAt(int folderFd, const std::string& folder);
// The same for a folder by path; "" or what openPrivateFolder says.
std::string journalFiles(const std::string& folder, std::vector<JournalFileInfo>& files);

// Removes journals of `folderFd`, the oldest runs first, until at most
// `runs` are left and they hold at most `bytes` together.  A journal whose
// run still holds its lock is never removed (but counts).
void trimJournals(int folderFd, size_t runs, uint64_t bytes);

// More than any run writes; a file larger than this is not read as a journal.
inline constexpr uint64_t kMaxJournalBytes = uint64_t{512} << 20;

struct JournalContents {
    std::vector<JournalRecord> records;
    int64_t unreadable = 0; // lines that are neither records nor comments
};
// "" or, for people, why the regular file `path` cannot be read as a journal
// (anything else, a FIFO or a device, is never opened for reading).
std::string readJournal(const std::string& path, JournalContents& contents);

} // namespace umbrix
