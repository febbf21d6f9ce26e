#pragma once

#include "platform/FileDescriptor.h"
#include "platform/FolderHandle.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace umbrix::platform {

// Which entry a result row or a journal record was when it was found: the
// device and inode the walk (or the write) saw.  An inode of 0 means not
// known (a path typed in, or picked in the browser): only the path counts.
struct EntryIdentity {
    uint64_t dev = 0;
    uint64_t ino = 0;
    bool known() const { return ino != 0; }
};

// An entry reached by its byte path: the folder it lies in, held open, and
// its single name there.  Everything done to it afterwards is done relative
// to that folder, never along the path again.
class ReachedEntry {
public:
    int folder() const { return folder_; }
    const char* name() const { return name_.c_str(); }
    const std::string& nameText() const { return name_; }
    // What the entry is now, the entry itself when it is a link.
    const FolderIdentity& identity() const { return identity_; }

private:
    friend int reachEntry(const std::string&, const EntryIdentity&, ReachedEntry&);
    FileDescriptor owned_;
    int folder_ = -1;
    std::string name_;
    FolderIdentity identity_;
};

// Reaches the entry `path` names, as the walk reached it: its folder opened
// as the person named it (the walk's own start folder may be reached through
// a link), then the entry by its single name without following a link, and
// checked against `expected` when that is known.  A path that now leads to
// another entry (a folder above renamed, or swapped for a link to elsewhere;
// the entry replaced) gives ESTALE: the caller reports it "changed since" and
// leaves it alone.  Else 0, or the errno of the failed look.
//
// The walk's listing gives a mount point's or a subvolume's inode as it lies
// below the mount, so an entry on another device than its folder, recorded
// on its folder's device, is taken as the one found.
int reachEntry(const std::string& path, const EntryIdentity& expected, ReachedEntry& entry);

// The identity `identity` records, for comparing with what a row recorded.
// Whether `found`, what a name of `folder` now leads to, is the entry
// `expected` names (any entry, when that is not known): the same inode, or
// what is mounted on the entry when `expected` is a mount point as its
// folder's listing gave it.
bool isSameEntry(int folder, const FolderIdentity& found, const EntryIdentity& expected);

inline EntryIdentity entryIdentityOf(const FolderIdentity& identity)
{
    return {static_cast<uint64_t>(identity.dev), static_cast<uint64_t>(identity.ino)};
}

// While one lives on a thread, reachEntry (and the attribute calls that take
// a whole path) keeps the folder it opened last and uses it again for the
// next entry of the same folder, as the rows of a search's results come: a
// command over thousands of rows opens each folder once, not once per row.
// The rows of a folder are then reached through the folder opened for the
// first of them, even when it is renamed, or a link put in its place,
// meanwhile.  The folder is held only while the scope lasts.
class ScopedFolderReuse {
public:
    ScopedFolderReuse();
    ~ScopedFolderReuse();
    ScopedFolderReuse(const ScopedFolderReuse&) = delete;
    ScopedFolderReuse& operator=(const ScopedFolderReuse&) = delete;

    // The kept descriptor, when it was opened for `folderPath`.
    bool reuse(std::string_view folderPath, int& folder) const;
    // Keeps `folder`, opened for `folderPath`, in place of the last one.
    void keep(std::string_view folderPath, FileDescriptor& folder);

private:
    ScopedFolderReuse* previous_;
    std::string path_;
    FileDescriptor folder_;
};

// The folder part of `path`, opened as named (following links) for looking
// entries up, and the last component.  `folder` is the descriptor to use;
// `owned` holds it unless a ScopedFolderReuse keeps it.  0 or an errno.
int openParentOf(const std::string& path, FileDescriptor& owned, int& folder, std::string& name);

} // namespace umbrix::platform
