#pragma once

#include "platform/EntryReach.h"
#include "platform/FileDescriptor.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace umbrix {

// The copy and delete service the file commands rely on.  Paths are bytes
// with "/" as the separator.  Every failure throws umbrix::Error with a
// number from errorNumberFromErrno() and a description a person can read;
// where the failing entry is not the path the caller passed, the description
// names it.
//
// Symbolic links are entries of their own: they are copied as links and
// deleted as links, never followed, never entered.
//
// A folder object holds its folder open, and the files and folders it lists
// hold it too: they act relative to it, so a folder swapped for a link
// between the listing and the delete cannot send the delete anywhere else,
// as with GNU rm.  A folder is opened when it is first listed or deleted.
//
// GetFile and GetFolder reach their entry with platform::reachEntry: given
// the identity a result row recorded, a path that now leads elsewhere fails
// "changed since", and so does a delete that finds another entry under the
// name by the time it acts.
class FileSystemObject {
    using SharedFolder = std::shared_ptr<const platform::FileDescriptor>;

public:
    class File {
    public:
        const std::string& Path() const { return path_; }
        // Removes the file (or link, or special file).  Without `force` a
        // read-only entry is refused with 70 "Permission denied".
        void Delete(bool force) const;
        // Whether its folder still holds an entry of its name.
        bool Exists() const;

    private:
        friend class FileSystemObject;
        File(std::string path, SharedFolder folder, std::string name,
             platform::EntryIdentity expected)
            : path_(std::move(path)), folder_(std::move(folder)), name_(std::move(name)),
              expected_(expected)
        {}
        std::string path_;
        SharedFolder folder_;
        std::string name_;
        platform::EntryIdentity expected_;
    };

    class Folder {
    public:
        const std::string& Path() const { return path_; }
        // The entries directly inside, in the order the folder lists them.
        // Everything that is not a directory is a file here, symbolic links
        // included; a directory on which another filesystem is mounted is in
        // neither list, so that walking SubFolders never leaves the volume.
        std::vector<File> Files() const;
        std::vector<Folder> SubFolders() const;
        // Removes the folder and everything inside it; with `force` read-only
        // entries too.  Links inside are removed, not followed; the removal
        // stops with an error at a mount point instead of emptying another
        // volume.  `eachEntry` runs after every entry removed.
        void Delete(bool force, const std::function<void()>& eachEntry = {}) const;
        // Whether its parent still holds a directory of its name.
        bool Exists() const;

    private:
        friend class FileSystemObject;
        Folder(std::string path, SharedFolder parent, std::string name,
               platform::EntryIdentity expected = {})
            : path_(std::move(path)), parent_(std::move(parent)), name_(std::move(name)),
              expected_(expected)
        {}
        // The folder itself, opened from its parent without following a link.
        const SharedFolder& open() const;

        std::string path_;
        SharedFolder parent_;
        std::string name_;
        platform::EntryIdentity expected_; // of the folder itself
        mutable SharedFolder self_;
    };

    // Copies a file (its content, mode, modification time, user.* extended
    // attributes and DOS attributes, the last from the source's store into
    // the target's, with a creation time of the copy's own) or a link or
    // special file as what it is.  A destination ending in "/" is the folder
    // to copy into under the source's name.  An existing destination is
    // replaced only with `overwrite`, never when it is read-only, hidden or
    // system (access denied), and only once the copy is complete: a failed
    // copy leaves it as it was.
    void CopyFile(const std::string& source, const std::string& destination, bool overwrite) const;

    // Copies a directory with everything below it, DOS attributes as
    // CopyFile carries them; an existing destination folder is merged, files
    // in it replaced as CopyFile replaces them, and the copy stops at the
    // first that may not be.  A destination
    // ending in "/" is the folder to copy into under the source's name.
    // Copying a folder into itself or below itself is refused.
    void CopyFolder(const std::string& source, const std::string& destination,
                    bool overwrite) const;

    // An existing entry that is not a directory (a link counts as a file);
    // with a known `expected`, that entry.
    File GetFile(const std::string& path, const platform::EntryIdentity& expected = {}) const;
    // An existing directory (not a link to one); with a known `expected`,
    // that directory.
    Folder GetFolder(const std::string& path, const platform::EntryIdentity& expected = {}) const;

    bool FileExists(const std::string& path) const;
    bool FolderExists(const std::string& path) const;
};

} // namespace umbrix
