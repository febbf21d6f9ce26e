#pragma once

// The walk behind ScanFolder, shared by the files that make it up: the
// traversal in Scanner.cpp, the failure handlers and the listing helpers in
// ScanWalk.cpp.

#include "platform/AttributeStore.h"
#include "platform/DirectoryReader.h"
#include "platform/Error.h"
#include "platform/FileDescriptor.h"
#include "platform/FolderHandle.h"
#include "search/ScanSnapshot.h"
#include "search/Scanner.h"

#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace umbrix::scan {

namespace Attr = platform::Attr;
using platform::DirectoryReader;
using platform::FileDescriptor;
using platform::FolderIdentity;

inline constexpr int32_t kHidden = Attr::Hidden;
inline constexpr int32_t kSystem = Attr::System;
inline constexpr int32_t kDirectory = Attr::Directory;

inline constexpr std::string_view kTooManyEntries = "Too many entries found to display in listbox.";
inline constexpr std::string_view kUnableToAccess = "Unable to access to the file or directory: ";
inline constexpr std::string_view kScannedCaption = "Scanned files: ";
inline constexpr std::string_view kFolderReplaced =
    "The folder was replaced while the search ran; it was not entered";
inline constexpr std::string_view kFolderLost =
    "The folder was moved while the search ran below it; the rest of it was not searched";

// Folders this deep give up their descriptor while their subfolders are
// walked and take it back through ".." afterwards: depth costs memory, not
// descriptors, of which a process has about a thousand.
inline constexpr std::size_t kOpenLevels = 64;

// What a failure handler lets the walk do next.
enum class Resume { Next, Leave };

bool isDotEntry(std::string_view name);

// The next name of `reader` that `pattern` selects ("" selects every name)
// into `name`, cleared at the end; 0, or the errno of a failed read, which
// leaves `name` as it was so that the failure is reported against the last
// entry.
int nextName(DirectoryReader& reader, std::string_view pattern, std::string& name, ino_t& inode,
             unsigned char& type);

struct SubFolder {
    std::string name;
    ino_t inode = 0; // as the folder's listing gave it; the folder entered must still be it
};

// One folder of the walk, from the collection of its subfolders to the
// listing of its own entries.
struct Level {
    std::string folder; // display path with "/" at the end
    FileDescriptor fd;  // empty while released below kOpenLevels, or when it failed to open
    FolderIdentity identity;
    platform::FolderAttributes attributes;
    int openError = 0;
    bool listOwn = true;
    bool lost = false; // could not be taken back after its subfolders; reported
    std::vector<SubFolder> subFolders;
    int32_t count = 0; // n: the subfolders to walk (1 without subdirectories)
    int32_t next = 0;
    ScanSnapshot snapshot;
    bool complete = false; // the snapshot holds the whole folder

    // Makes this a level not yet entered, with its descriptor closed, that
    // keeps the memory its path, lists and names took.
    void recycle()
    {
        std::string keptFolder = std::move(folder);
        std::vector<SubFolder> keptSubFolders = std::move(subFolders);
        ScanSnapshot keptSnapshot = std::move(snapshot);
        *this = Level{};
        keptFolder.clear();
        keptSubFolders.clear();
        keptSnapshot.clear();
        folder = std::move(keptFolder);
        subFolders = std::move(keptSubFolders);
        snapshot = std::move(keptSnapshot);
    }
};

// The levels of the walk, the innermost last.  A walk enters thousands of
// folders one or two levels deep; a level left keeps its memory for the
// next folder entered at its depth instead of growing it again from nothing.
class LevelStack {
public:
    Level& push()
    {
        if (size_ == levels_.size())
            levels_.emplace_back();
        return levels_[size_++];
    }
    void pop() { levels_[--size_].recycle(); }
    void clear()
    {
        while (size_ > 0)
            pop();
    }
    Level& back() { return levels_[size_ - 1]; }
    Level& operator[](std::size_t i) { return levels_[i]; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    // Deque: levels keep their place while deeper ones come and go.
    std::deque<Level> levels_;
    std::size_t size_ = 0;
};

class Walk {
public:
    explicit Walk(const ScanContext& context)
        : view_(context.view), options_(context.options), flags_(context.flags)
    {}

    bool run(const std::string& Folder, const std::string& ParentFolder);

private:
    bool enter(Level& level);
    bool descend(Level& parent, const SubFolder& sub);
    void ascend();
    bool finish(bool stopped);

    int32_t GetSubFolders(Level& level);
    bool listFolder(Level& level);
    Resume listEntry(Level& level, const std::string& name, const std::string& path, ino_t inode,
                     int32_t attr, bool criteria);

    int32_t readAttributes(const Level& level, const std::string& name, const std::string& path,
                           unsigned char type, bool& reparsePoint, bool& failed);
    int openedFolder(Level& level);
    void report(std::string_view folder, std::string_view name, const Error& error);
    void folderFailure(const std::string& folder, const Error& error, bool collecting);
    Resume scanFailure(const std::string& folder, const std::string& name, const Error& error);
    Resume subFolderFailure(const std::string& folder, const std::string& name, const Error& error);
    void countScanned()
    {
        if (flags_.ScannedCount < std::numeric_limits<int32_t>::max())
            ++flags_.ScannedCount;
    }

    SearchView& view_;
    const SearchOptions& options_;
    SearchFlags& flags_;
    LevelStack levels_;
    // No descriptor was left to open a folder: the walk ended, told once.
    bool outOfDescriptors_ = false;
};

} // namespace umbrix::scan
