#pragma once

#include "platform/EntryReach.h"
#include "platform/FolderHandle.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace umbrix::platform {

enum class StoreKind : uint8_t;

// Windows attribute bits, as the rest of the program counts them.
namespace Attr {
inline constexpr uint32_t ReadOnly = 0x1;
inline constexpr uint32_t Hidden = 0x2;
inline constexpr uint32_t System = 0x4;
inline constexpr uint32_t Directory = 0x10;
inline constexpr uint32_t Archive = 0x20;
inline constexpr uint32_t Normal = 0x80;
inline constexpr uint32_t ReparsePoint = 0x400;
// The only bits a write ever changes.
inline constexpr uint32_t Writable = ReadOnly | Hidden | System | Archive;
} // namespace Attr

// What the search unhides, wherever it is decided: hidden and not system.
// Hidden together with system is how the system marks its own files, and
// those are left alone.
constexpr bool isUnhideCandidate(uint32_t word)
{
    return (word & (Attr::Hidden | Attr::System)) == Attr::Hidden;
}

// The attribute word of the entry `name` (one path component, bytes) of the
// open folder `folderFd`, read from the store of its filesystem: read-only,
// hidden, system and archive from the store (read-only from the mode bits
// only where the filesystem has no store at all), the directory bit from the
// entry's type, ReparsePoint for a symbolic link.
// A stored "normal" (0x80) reads as no bits.
//
// The entry is reached from the folder's descriptor alone: nothing is looked
// up along `path`, which names the same entry for the fault hooks only, and
// no link is followed, neither `name` itself nor anything a rename or a new
// link puts in the way meanwhile.
//
// Returns 0 and fills `word`, or returns the errno of the failure.  A failure
// after the entry's type is known (EBADMSG for a user.DOSATTRIB of no known
// form, say) still leaves Attr::Directory in `word` for a directory, so a walk
// can enter a folder whose DOS value it cannot read and report that; before
// it, `word` is 0.
int queryAttributesAt(int folderFd, const char* name, const std::string& path, uint32_t& word);

// Read-modify-write of the attributes of the entry `name` of the open folder
// `folderFd`, reached as queryAttributesAt reaches it.  Afterwards the entry
// reads back with `attributes` in its Attr::Writable bits, and as little as
// possible has changed: the stored value's writable bits, never the mode
// (FAT and NTFS drivers tie read-only to the mode themselves), every other
// stored bit and field stays.  A symbolic link is refused with EPERM.  Returns 0 or the
// errno of the failure; on failure nothing on disk has changed.
int storeAttributesAt(int folderFd, const char* name, const std::string& path, uint32_t attributes);

// The same for callers that only have a path (the attribute panel, copy,
// the rows of a result list): the entry is reached by reachEntry, checked
// against `expected` when that is known (ESTALE: changed since), and then
// handled as above, so never followed.
int queryAttributes(const std::string& path, uint32_t& word, const EntryIdentity& expected = {});

// What changeAttributes did: the query's errno (nothing was written), else
// the word the entry read as, whether `change` asked for a write, the word
// it asked for and the write's errno.
struct AttributeChange {
    int queryError = 0;
    uint32_t before = 0;
    bool asked = false;
    uint32_t wanted = 0;
    int storeError = 0;
};

// Turns the word an entry reads as into the word to store, or into nothing.
using WordChange = std::function<std::optional<uint32_t>(uint32_t)>;

// queryAttributes and, when `change` turns the word it read into another,
// storeAttributes of that word, on one look at the entry: a command that
// changes one attribute of many entries reads each once.
AttributeChange changeAttributes(const std::string& path, const WordChange& change,
                                 const EntryIdentity& expected = {});
int storeAttributes(const std::string& path, uint32_t attributes,
                    const EntryIdentity& expected = {});

// What a copy carries of its source's DOS attributes: read-only, hidden,
// system and archive, read from the store of the entry open as `sourceFd`
// and written to the store of `targetFd`, a new entry the copy made (a file
// or a folder; not an O_PATH descriptor).  The target's creation time stays
// its own: a new user.DOSATTRIB records the target's birth.  Returns 0 or an
// errno, with `onTarget` telling which end failed; EOPNOTSUPP when the
// target's filesystem has no store.  Nothing goes to the journal: a copy is
// undone by removing it.
int copyDosAttributes(int sourceFd, int targetFd, bool& onTarget);

// The attributes of the entries of one open folder, as a walk that visits
// every entry asks for them: the store is chosen once for the folder, and an
// entry whose type the folder's listing gave costs a single read of its
// stored value, without a stat.  Nothing is looked up along a path and no
// link is followed, as with queryAttributesAt.
class FolderAttributes {
public:
    // The folder open as `folderFd`; 0 or an errno.  Its identity comes with
    // it, from the same look at the folder.
    static int of(int folderFd, FolderAttributes& attributes, FolderIdentity& identity);

    // The word of the entry `name`, whose type (DT_*) the folder's listing
    // gave; DT_UNKNOWN asks as queryAttributesAt does.  A folder on which
    // another filesystem is mounted is read through this folder's store, and
    // on a filesystem without any store the read-only that the mode gives is
    // left out.  `path` serves the fault hooks.
    int query(const char* name, unsigned char type, const std::string& path, uint32_t& word) const;

    // Makes a hidden entry that is not a system entry visible: reads its
    // stored value once more (a walk may have changed it meanwhile) and
    // writes it back without the hidden bit, nothing else.  `stored` gets the
    // bits that read found (as query gives them, without the type's), so
    // that the caller decides on what the entry was, not on what it was
    // before its folder's subfolders were walked.  An entry found no longer
    // hidden, or a system entry by now, is left alone and is no failure.
    // `inode` (the listing's) and `directory`, which the walk knows, complete
    // the record the journal keeps, so nothing more is asked of the entry.
    // A walk names the size of its root in `path` (AttributeJournal::
    // recordWalked); 0 records the path as it is named.
    int unhide(const char* name, ino_t inode, bool directory, const std::string& path,
               uint32_t& stored, size_t walkRootSize = 0) const;

    // The store the folder's entries are read from.
    StoreKind store() const;

private:
    int folderFd_ = -1;
    dev_t device_ = 0;
    uint8_t kind_ = 0;
};

} // namespace umbrix::platform
