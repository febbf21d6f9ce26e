#include "search/Scanner.h"

#include "app/AppState.h"
#include "app/FileHelpers.h"
#include "platform/AttributeStore.h"
#include "platform/DirectoryReader.h"
#include "platform/Error.h"
#include "platform/PathText.h"
#include "platform/Wildcard.h"
#include "search/ScanCriteria.h"
#include "search/ScanFailureReport.h"
#include "search/ScanSnapshot.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <new>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_set>

namespace umbrix {
namespace {

namespace Attr = platform::Attr;

constexpr int32_t kHidden = Attr::Hidden;
constexpr int32_t kSystem = Attr::System;
constexpr int32_t kDirectory = Attr::Directory;

constexpr std::string_view kTooManyEntries = "Too many entries found to display in listbox.";
constexpr std::string_view kUnableToAccess = "Unable to access to the file or directory: ";
constexpr std::string_view kScannedCaption = "Scanned files: ";

// What a failure handler lets the walk do next.
enum class Resume { Next, Leave };

bool isDotEntry(std::string_view name)
{
    return name == "." || name == "..";
}

bool hiddenNotSystem(int32_t attributes)
{
    return (attributes & (kHidden | kSystem)) == kHidden;
}

// The folder as the walk addresses it: with a trailing "/".  The first
// character is left alone: upper-casing it was only ever about a drive letter,
// and on a case-sensitive filesystem it would name another folder.
std::string folderText(const std::string& folder)
{
    std::string text = folder;
    if (text.empty() || text.back() != '/')
        text += '/';
    return text;
}

void countScanned()
{
    int32_t& count = app().ScannedCount;
    if (count < std::numeric_limits<int32_t>::max())
        ++count;
}

// Inodes the current walk has unhidden.  A folder's snapshot is taken before
// its subfolders are walked, and an entry it saw hidden may meanwhile have
// been made visible under another name (a hard link further down); such an
// entry is asked again, as a second read of the folder would have done.
std::unordered_set<ino_t>* rewrittenInodes = nullptr;

// Gives the outermost ScanFolder call, and with it the whole walk, one set
// of rewritten inodes.
class WalkScope {
public:
    WalkScope()
    {
        if (!rewrittenInodes)
            rewrittenInodes = &own_.emplace();
    }
    ~WalkScope()
    {
        if (own_)
            rewrittenInodes = nullptr;
    }
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;

private:
    std::optional<std::unordered_set<ino_t>> own_;
};

// One read of a folder: only the names the pattern selects, "." and ".."
// included where the filesystem reports them.  An empty pattern selects every
// name.
class PatternEnumeration {
public:
    PatternEnumeration(const std::string& folder, std::string_view pattern)
        : reader_(folder), pattern_(pattern)
    {}

    // 0, or the errno of a folder that could not be opened.
    int openError() const { return reader_.valid() ? 0 : reader_.error(); }

    // Puts the next selected name into `name` (cleared at the end) and
    // returns 0, or returns the errno of a failed read and leaves `name` as
    // it was, so the failure can still be reported against the last entry.
    int next(std::string& name)
    {
        platform::DirectoryReader::Entry entry;
        while (reader_.next(entry)) {
            if (pattern_.empty() || wildcardMatch(pattern_, entry.name)) {
                name.assign(entry.name);
                inode_ = entry.inode;
                return 0;
            }
        }
        if (reader_.error())
            return reader_.error();
        name.clear();
        return 0;
    }

    ino_t inode() const { return inode_; }
    // The open folder, for looking its entries up relative to it.
    int fd() const { return reader_.fd(); }

private:
    platform::DirectoryReader reader_;
    std::string_view pattern_;
    ino_t inode_ = 0;
};

// The entries the listing pass examines and their attribute sets: taken from
// the folder's snapshot when there is one, else from a fresh read.
class ListingEntries {
public:
    ListingEntries(const std::string& folder, std::string_view pattern,
                   const ScanSnapshot* snapshot)
        : snapshot_(snapshot), pattern_(pattern)
    {
        if (!snapshot_)
            read_.emplace(folder, pattern);
    }

    int openError() const { return read_ ? read_->openError() : 0; }

    int next(std::string& name)
    {
        if (read_)
            return read_->next(name);
        while (++index_ < snapshot_->size()) {
            const std::string_view candidate = snapshot_->name((*snapshot_)[index_]);
            if (pattern_.empty() || wildcardMatch(pattern_, candidate)) {
                name.assign(candidate);
                return 0;
            }
        }
        name.clear();
        return 0;
    }

    ino_t inode() const { return read_ ? read_->inode() : (*snapshot_)[index_].inode; }

    // GetEntryAttributes of the current entry `name` at `path`.  A snapshot
    // answers unless what it saw may since have changed: only an entry it saw
    // hidden and not system can have been unhidden by the walk, through a
    // hard link (its inode was rewritten) or, for a folder, a bind mount.
    int32_t attributes(const std::string& name, const std::string& path, bool& reparsePoint) const
    {
        if (read_)
            return GetEntryAttributesAt(read_->fd(), name, path, true, reparsePoint);
        const ScanSnapshot::Entry& entry = (*snapshot_)[index_];
        if (entry.reparsePoint) {
            reparsePoint = true;
            return 0;
        }
        if (hiddenNotSystem(entry.attributes) &&
            ((entry.attributes & kDirectory) ||
             (rewrittenInodes && rewrittenInodes->contains(entry.inode))))
            return GetEntryAttributes(path, true, reparsePoint);
        return entry.attributes;
    }

private:
    const ScanSnapshot* snapshot_;
    std::string_view pattern_;
    std::optional<PatternEnumeration> read_;
    size_t index_ = static_cast<size_t>(-1);
};

// The walk's handler: the access failures and bad names let it go on quietly
// with the next step, a full result list ends it, anything else is logged.
Resume scanFailure(ScanHost& host, const std::string& folder, const std::string& name,
                   const Error& error)
{
    switch (error.number) {
    case ErrorNumber::InvalidArgument:
    case ErrorNumber::BadFileName:
    case ErrorNumber::PathFileAccess:
        return Resume::Next;
    case ErrorNumber::OutOfMemory:
        if (app().LogErrors)
            host.Log(std::string(kTooManyEntries), true);
        return Resume::Leave;
    default:
        host.Log(scanFailureReport(folder, name, error), false);
        return Resume::Next;
    }
}

// GetSubFolders' handler.  Leave means the folder is not descended into; it
// is still listed.
Resume subFolderFailure(ScanHost& host, const std::string& folder, const std::string& name,
                        const Error& error)
{
    switch (error.number) {
    case ErrorNumber::InvalidArgument:
    case ErrorNumber::PathFileAccess:
        return Resume::Next;
    case ErrorNumber::BadFileName:
        if (app().LogErrors) {
            std::string text(kUnableToAccess);
            text += '"';
            text += displayText(folder);
            text += '"';
            host.Log(text, false);
        }
        return Resume::Leave;
    case ErrorNumber::FileNotFound:
        host.Log(scanFailureReport(folder, name, error), false);
        return Resume::Next;
    default:
        host.Log(scanFailureReport(folder, name, error), false);
        return Resume::Leave;
    }
}

// GetSubFolders, also keeping every entry it reads in `snapshot` when one is
// given.  `complete` tells whether the snapshot holds the whole folder: a
// read that failed or was stopped half-way is not reused.
int32_t collectSubFolders(ScanHost& host, const std::string& Folder,
                          std::vector<std::string>& SubFolders, ScanSnapshot* snapshot,
                          bool& complete)
{
    AppState& s = app();
    SubFolders.clear();
    complete = false;
    std::string folder;
    std::string name;
    try {
        folder = folderText(Folder);
        std::string path = folder;
        int32_t count = 0;
        bool finished = false;
        bool clean = true;

        PatternEnumeration entries(folder, {});
        int err = entries.openError();
        if (!err)
            err = entries.next(name);
        if (err) {
            clean = false;
            if (subFolderFailure(host, folder, name, errorFromErrno(err)) == Resume::Leave)
                return 0;
            name.clear();
        }

        for (;;) {
            if (name.empty()) {
                finished = true;
                break;
            }
            if (!isDotEntry(name)) {
                path.resize(folder.size());
                path += name;
                bool reparsePoint = false;
                const int32_t attr =
                    GetEntryAttributesAt(entries.fd(), name, path, true, reparsePoint);
                if (!reparsePoint && (attr & kDirectory)) {
                    SubFolders.push_back(path);
                    ++count;
                }
                if (snapshot)
                    snapshot->add(name, entries.inode(), attr, reparsePoint);
            } else if (snapshot) {
                snapshot->add(name, entries.inode(), 0, false);
            }
            if ((err = entries.next(name)) != 0) {
                clean = false;
                if (subFolderFailure(host, folder, name, errorFromErrno(err)) == Resume::Leave) {
                    SubFolders.clear();
                    return 0;
                }
                name.clear();
            }
            countScanned();
            host.RefreshResult(folder, name);
            host.DoEvents();
            if (!s.Searching || s.CancelSearch)
                break;
        }

        if (!finished) {
            SubFolders.clear();
            count = 0;
        }
        complete = finished && clean;
        return count;
    } catch (const std::bad_alloc&) {
        SubFolders.clear();
        complete = false;
        subFolderFailure(host, folder, name, errorFromErrno(ENOMEM));
        return 0;
    }
}

// Unhides and lists one entry of the folder by the listing rules.  The
// attribute change comes before the criteria test: a hidden entry of a folder
// outside the criteria is made visible all the same, only not listed.
Resume listEntry(ScanHost& host, const std::string& folder, const std::string& name,
                 const std::string& path, ino_t inode, int32_t attr, bool criteria)
{
    const AppState& s = app();
    const bool directory = (attr & kDirectory) != 0;
    if (directory ? s.FilesOnly : s.DirsOnly)
        return Resume::Next;

    bool listed = false;
    if (attr & (kHidden | kSystem)) {
        // System entries belong to the system and are never touched.  The
        // directory bit is taken off because no store can write it.
        if (!(attr & kSystem)) {
            const int32_t visible = directory ? attr - kHidden - kDirectory : attr - kHidden;
            if (const int err = platform::storeAttributes(path, static_cast<uint32_t>(visible))) {
                // A refused rewrite leaves the entry as it was; it is still
                // listed, since it is still hidden.
                if (scanFailure(host, folder, name, errorFromErrno(err)) == Resume::Leave)
                    return Resume::Leave;
            } else if (rewrittenInodes) {
                rewrittenInodes->insert(inode);
            }
        }
        listed = criteria;
    } else {
        listed = s.ViewAll && criteria;
    }
    if (!listed)
        return Resume::Next;

    try {
        host.FoundFileAdd(folder, name);
    } catch (const Error& error) {
        return scanFailure(host, folder, name, error);
    } catch (const std::bad_alloc&) {
        return scanFailure(host, folder, name, errorFromErrno(ENOMEM));
    }
    return Resume::Next;
}

// The listing pass over the folder's own entries.  Returns stopped.
bool listFolder(ScanHost& host, const std::string& folder, const ScanSnapshot* snapshot)
{
    AppState& s = app();
    // The criteria concern the folder, not the entry: decided once.
    const bool criteria = folderContainsCriteria(folder, s.SearchCriteria);
    std::string path = folder;
    std::string name;

    ListingEntries entries(folder, s.SearchPattern, snapshot);
    int err = entries.openError();
    if (!err)
        err = entries.next(name);
    if (err) {
        // A folder that cannot be read lists nothing.
        if (scanFailure(host, folder, name, errorFromErrno(err)) == Resume::Leave)
            return true;
        name.clear();
    }

    for (;;) {
        if (name.empty() || !s.Searching)
            return false;
        host.DoEvents();
        if (!s.Searching)
            return true;
        if (s.CancelSearch)
            return false;

        if (!isDotEntry(name)) {
            path.resize(folder.size());
            path += name;
            bool reparsePoint = false;
            const int32_t attr = entries.attributes(name, path, reparsePoint);
            // Links are neither listed, counted nor followed.
            if (!reparsePoint) {
                if (listEntry(host, folder, name, path, entries.inode(), attr, criteria) ==
                    Resume::Leave)
                    return true;
                countScanned();
                host.RefreshResult(folder, name);
                host.DoEvents();
                if (s.ScanPause > 0)
                    Pause(host, s.ScanPause);
            }
        }

        if ((err = entries.next(name)) != 0) {
            if (scanFailure(host, folder, name, errorFromErrno(err)) == Resume::Leave)
                return true;
            name.clear();
        }
        if (host.isMinimized())
            host.setCaption(std::string(kScannedCaption) + std::to_string(s.ScannedCount));
    }
}

// Everything of ScanFolder between setting the flags and the final check of
// Searching.  Returns stopped.
bool walkFolder(ScanHost& host, const std::string& Folder, const std::string& ParentFolder)
{
    AppState& s = app();
    std::vector<std::string> subFolders;
    ScanSnapshot snapshot;
    bool complete = false;
    const int32_t n =
        s.SearchSubDirs ? collectSubFolders(host, Folder, subFolders, &snapshot, complete) : 1;

    host.DoEvents();
    if (!s.Searching)
        return true;
    if (s.CancelSearch)
        return false;

    for (int32_t i = 0; i < n && s.Searching; ++i) {
        host.DoEvents();
        if (!s.Searching)
            return true;
        if (s.CancelSearch)
            return false;
        if (s.SearchSubDirs && static_cast<size_t>(i) < subFolders.size())
            s.ScanAborted = ScanFolder(host, subFolders[static_cast<size_t>(i)], Folder);
        if (s.ScanAborted)
            return true;
    }

    if (!s.Searching || s.CancelSearch || ParentFolder.empty())
        return false;
    return listFolder(host, folderText(Folder), complete ? &snapshot : nullptr);
}

} // namespace

bool ScanFolder(ScanHost& host, const std::string& Folder, const std::string& ParentFolder)
{
    AppState& s = app();
    const WalkScope walk;
    s.Searching = true;
    s.ScanAborted = false;
    bool stopped = false;
    try {
        stopped = walkFolder(host, Folder, ParentFolder);
    } catch (const std::bad_alloc&) {
        // Our own bookkeeping ran out of room: end the walk as a full result
        // list does.
        stopped = true;
        if (s.LogErrors)
            host.Log(std::string(kTooManyEntries), true);
    }
    if (!s.Searching)
        stopped = true;
    return stopped;
}

int32_t GetSubFolders(ScanHost& host, const std::string& Folder,
                      std::vector<std::string>& SubFolders)
{
    bool complete = false;
    return collectSubFolders(host, Folder, SubFolders, nullptr, complete);
}

void Pause(ScanHost& host, float Seconds)
{
    using Clock = std::chrono::steady_clock;
    using FloatSeconds = std::chrono::duration<double>;
    const Clock::time_point start = Clock::now();
    // NaN and negative waits end after the one yield.
    const double wait = Seconds > 0 ? static_cast<double>(Seconds) : 0.0;
    for (;;) {
        host.DoEvents();
        const double elapsed = FloatSeconds(Clock::now() - start).count();
        if (elapsed > wait)
            return;
        // Rest a moment between yields so that a long pause does not keep a
        // core busy; events are still handled every few milliseconds.
        std::this_thread::sleep_for(FloatSeconds(std::min(wait - elapsed, 0.002)));
    }
}

} // namespace umbrix
