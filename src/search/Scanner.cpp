#include "search/Scanner.h"

#include "platform/AttributeStore.h"
#include "platform/DirectoryReader.h"
#include "platform/Error.h"
#include "platform/FileHelpers.h"
#include "platform/FolderHandle.h"
#include "platform/OpenFileLimit.h"
#include "platform/PathChain.h"
#include "platform/PathText.h"
#include "platform/Wildcard.h"
#include "search/ScanCriteria.h"
#include "search/ScanFailureReport.h"
#include "search/ScanSnapshot.h"
#include "search/ScanWalk.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>
#include <limits>
#include <new>
#include <optional>
#include <string_view>
#include <thread>

namespace umbrix::scan {

// The reduced attribute set of the entry `name` of the open folder.  An
// entry whose attributes cannot be read is reported, never passed over in
// silence, and keeps its type: a folder with an unreadable stored value is
// still searched.
int32_t Walk::readAttributes(const Level& level, const std::string& name, const std::string& path,
                             unsigned char type, bool& reparsePoint, bool& failed)
{
    const std::string& folder = level.folder;
    uint32_t word = 0;
    const int err = level.attributes.query(name.c_str(), type, path, word);
    failed = err != 0;
    if (!failed) {
        reparsePoint = (word & Attr::ReparsePoint) != 0;
        return reducedAttributeSet(word);
    }
    report(folder, name, errorFromErrno(err));
    // The type, from the folder's own listing where it says, else from what
    // the store could still tell.
    if (type == DT_UNKNOWN) {
        reparsePoint = (word & Attr::ReparsePoint) != 0;
        return reparsePoint ? 0 : static_cast<int32_t>(word & Attr::Directory);
    }
    reparsePoint = type == DT_LNK;
    return type == DT_DIR ? kDirectory : 0;
}

// Collects the level's subfolders, keeping every entry it reads in the
// level's snapshot for the listing.  The snapshot is complete only when the
// whole folder was read without a failure.
int32_t Walk::GetSubFolders(Level& level)
{
    level.subFolders.clear();
    level.snapshot.clear();
    level.complete = false;
    const std::string& folder = level.folder;
    std::string name;
    try {
        std::string path = folder;
        int32_t count = 0;
        bool finished = false;
        bool clean = true;
        ino_t inode = 0;
        unsigned char type = DT_UNKNOWN;

        if (level.openError) {
            folderFailure(folder, errorFromErrno(level.openError), true);
            return 0;
        }
        DirectoryReader reader = DirectoryReader::of(level.fd.get());
        int err = reader.valid() ? 0 : reader.error();
        if (!err)
            err = nextName(reader, {}, name, inode, type);
        if (err) {
            clean = false;
            if (subFolderFailure(folder, name, errorFromErrno(err)) == Resume::Leave)
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
                bool failed = false;
                const int32_t attr = readAttributes(level, name, path, type, reparsePoint, failed);
                if (!reparsePoint && (attr & kDirectory))
                    level.subFolders.push_back({name, inode});
                level.snapshot.add(name, inode, type, attr, reparsePoint, failed);
            } else {
                level.snapshot.add(name, inode, type, 0, false, false);
            }
            if ((err = nextName(reader, {}, name, inode, type)) != 0) {
                clean = false;
                if (subFolderFailure(folder, name, errorFromErrno(err)) == Resume::Leave) {
                    level.subFolders.clear();
                    return 0;
                }
                name.clear();
            }
            countScanned();
            view_.RefreshResult(folder, name, flags_.ScannedCount);
            view_.DoEvents();
            if (!flags_.Searching || flags_.CancelSearch)
                break;
        }

        count = static_cast<int32_t>(level.subFolders.size());
        if (!finished) {
            level.subFolders.clear();
            count = 0;
        }
        level.complete = finished && clean;
        return count;
    } catch (const std::bad_alloc&) {
        level.subFolders.clear();
        level.snapshot.clear();
        level.complete = false;
        subFolderFailure(folder, name, errorFromErrno(ENOMEM));
        return 0;
    }
}

// Unhides and lists one entry of the folder by the listing rules.  The
// attribute change comes before the criteria test: a hidden entry of a folder
// outside the criteria is made visible all the same, only not listed.
Resume Walk::listEntry(Level& level, const std::string& name, const std::string& path,
                       ino_t inode, int32_t attr, bool criteria)
{
    const bool directory = (attr & kDirectory) != 0;
    if (directory ? options_.FilesOnly : options_.DirsOnly)
        return Resume::Next;

    // System entries belong to the system and are never touched; of the
    // others, only the hidden bit changes.  The rewrite reads the entry once
    // more and the listing goes by what it found: the walk may meanwhile have
    // unhidden it under another name (a hard link, a bind mount further down).
    if (platform::isUnhideCandidate(static_cast<uint32_t>(attr))) {
        uint32_t stored = 0;
        if (const int err = level.attributes.unhide(name.c_str(), inode, directory, path, stored,
                                                    levels_[0].folder.size())) {
            // A refused rewrite leaves the entry hidden: it is listed as it
            // is, and the refusal is reported, whatever its kind.
            const Error error = errorFromErrno(err);
            if (error.number == ErrorNumber::OutOfMemory)
                return scanFailure(level.folder, name, error);
            report(level.folder, name, error);
        } else {
            attr = (attr & kDirectory) | reducedAttributeSet(stored);
        }
    }
    const bool listed = (attr & (kHidden | kSystem)) ? criteria : options_.ViewAll && criteria;
    if (!listed)
        return Resume::Next;
    if (attr & (kHidden | kSystem))
        ++flags_.hiddenOrSystemListed;

    try {
        view_.FoundFileAdd(level.folder, name,
                           {static_cast<uint64_t>(level.identity.dev), static_cast<uint64_t>(inode)});
    } catch (const Error& error) {
        return scanFailure(level.folder, name, error);
    } catch (const std::bad_alloc&) {
        return scanFailure(level.folder, name, errorFromErrno(ENOMEM));
    }
    return Resume::Next;
}

// The listing pass over the level's own entries, from its snapshot when it is
// complete, else from a fresh read.  Returns stopped.
bool Walk::listFolder(Level& level)
{
    const std::string& folder = level.folder;
    // The criteria concern the folder, not the entry: decided once.
    const bool criteria = folderContainsCriteria(folder, options_.SearchCriteria);
    const std::string_view pattern = options_.SearchPattern;
    const ScanSnapshot* snapshot = level.complete ? &level.snapshot : nullptr;
    std::optional<DirectoryReader> reader;
    std::size_t index = static_cast<std::size_t>(-1);
    ino_t inode = 0;
    unsigned char type = DT_UNKNOWN;
    std::string path = folder;
    std::string name;

    auto next = [&]() -> int {
        if (reader)
            return nextName(*reader, pattern, name, inode, type);
        while (++index < snapshot->size()) {
            const ScanSnapshot::Entry& entry = (*snapshot)[index];
            const std::string_view candidate = snapshot->name(entry);
            if (pattern.empty() || wildcardMatch(pattern, candidate)) {
                name.assign(candidate);
                inode = entry.inode;
                type = entry.type;
                return 0;
            }
        }
        name.clear();
        return 0;
    };

    if (level.openError) {
        folderFailure(folder, errorFromErrno(level.openError), false);
        return false;
    }
    int err = 0;
    if (!snapshot) {
        reader.emplace(DirectoryReader::of(level.fd.get(), true));
        err = reader->valid() ? 0 : reader->error();
    }
    if (!err)
        err = next();
    if (err) {
        // A folder that cannot be read lists nothing.
        if (scanFailure(folder, name, errorFromErrno(err)) == Resume::Leave)
            return true;
        name.clear();
    }

    for (;;) {
        if (name.empty() || !flags_.Searching)
            return false;
        view_.DoEvents();
        if (!flags_.Searching)
            return true;
        if (flags_.CancelSearch)
            return false;

        if (!isDotEntry(name)) {
            ++flags_.entriesMet;
            path.resize(folder.size());
            path += name;
            bool reparsePoint = false;
            int32_t attr = 0;
            if (snapshot) {
                // Only an entry the snapshot saw hidden and not system can
                // have changed since, and the rewrite asks it again.
                const ScanSnapshot::Entry& entry = (*snapshot)[index];
                reparsePoint = entry.reparsePoint;
                attr = entry.attributes;
            } else {
                bool failed = false;
                attr = readAttributes(level, name, path, type, reparsePoint, failed);
            }
            // Links are neither listed, counted nor followed.
            if (!reparsePoint) {
                if (listEntry(level, name, path, inode, attr, criteria) == Resume::Leave)
                    return true;
                countScanned();
                view_.RefreshResult(folder, name, flags_.ScannedCount);
                view_.DoEvents();
                if (options_.ScanPause > 0)
                    Pause(view_, options_.ScanPause);
            }
        }

        if ((err = next()) != 0) {
            if (scanFailure(folder, name, errorFromErrno(err)) == Resume::Leave)
                return true;
            name.clear();
        }
        if (view_.isMinimized())
            view_.setCaption(std::string(kScannedCaption) + std::to_string(flags_.ScannedCount));
    }
}

// Collects the level's subfolders and yields.  False when a stop request
// ends the walk there.
bool Walk::enter(Level& level)
{
    level.count = options_.SearchSubDirs ? GetSubFolders(level) : 1;
    view_.DoEvents();
    return flags_.Searching && !flags_.CancelSearch;
}

// Opens the subfolder relative to its open parent.  A subfolder that became a
// link or another folder since it was collected is reported and not entered.
// False when a stop request ends the walk.
bool Walk::descend(Level& parent, const SubFolder& sub)
{
    Level& child = levels_.push();
    child.folder.append(parent.folder).append(sub.name).push_back('/');
    int err = platform::openFolderAt(parent.fd.get(), sub.name.c_str(), child.folder, child.fd);
    if (platform::outOfDescriptors(err)) {
        // Every folder after it would fail the same way: one report ends
        // the walk instead of one for each.
        levels_.pop();
        view_.Log(scanFailureReport(parent.folder, sub.name, errorFromErrno(err)), true);
        outOfDescriptors_ = true;
        return false;
    }
    if (err == ELOOP || err == ENOTDIR) {
        levels_.pop();
        report(parent.folder, sub.name,
               Error{errorNumberFromErrno(err), std::string(kFolderReplaced)});
        return true;
    }
    child.openError = err ? err : openedFolder(child);
    // The folder listed is the folder entered, unless another filesystem is
    // mounted on it, where the listing shows the inode below the mount.
    if (!child.openError && child.identity.sameVolume(parent.identity) &&
        child.identity.ino != sub.inode) {
        levels_.pop();
        report(parent.folder, sub.name,
               Error{errorNumberFromErrno(ESTALE), std::string(kFolderReplaced)});
        return true;
    }
    if (child.fd && levels_.size() > kOpenLevels)
        parent.fd.reset();
    return enter(child);
}

// Leaves the innermost folder, taking its parent's descriptor back when the
// parent gave it up.  A parent that is no longer where the walk left it is
// reported and searched no further.
void Walk::ascend()
{
    Level& child = levels_.back();
    if (levels_.size() >= 2) {
        Level& parent = levels_[levels_.size() - 2];
        if (!parent.fd && !parent.openError) {
            int err = child.fd ? platform::reopenParent(child.fd.get(), parent.identity, parent.fd)
                               : ESTALE;
            if (!err)
                err = openedFolder(parent);
            if (err) {
                parent.lost = true;
                report(parent.folder, {},
                       Error{errorNumberFromErrno(err), std::string(kFolderLost)});
            }
        }
    }
    levels_.pop();
}

// Looks once at a folder just opened: its identity and the store of its
// entries.
int Walk::openedFolder(Level& level)
{
    const int err =
        platform::FolderAttributes::of(level.fd.get(), level.attributes, level.identity);
    if (err)
        level.fd.reset();
    return err;
}

bool Walk::finish(bool stopped)
{
    levels_.clear();
    if (!flags_.Searching)
        stopped = true;
    flags_.ScanAborted = stopped;
    return stopped;
}

bool Walk::run(const std::string& Folder, const std::string& ParentFolder)
{
    flags_.Searching = true;
    flags_.ScanAborted = false;

    Level& root = levels_.push();
    root.folder = withTrailingSlash(Folder);
    root.listOwn = !ParentFolder.empty();
    root.openError = platform::openFolder(root.folder, root.fd);
    if (!root.openError)
        root.openError = openedFolder(root);
    if (!enter(root))
        return finish(!flags_.Searching);

    for (;;) {
        Level& top = levels_.back();
        if (top.lost) {
            ascend();
        } else if (top.next < top.count && flags_.Searching) {
            view_.DoEvents();
            if (!flags_.Searching)
                return finish(true);
            if (flags_.CancelSearch)
                return finish(false);
            const auto i = static_cast<std::size_t>(top.next++);
            if (options_.SearchSubDirs && i < top.subFolders.size() &&
                !descend(top, top.subFolders[i]))
                return finish(outOfDescriptors_ || !flags_.Searching);
            continue;
        } else {
            if (!flags_.Searching)
                return finish(true);
            if (!flags_.CancelSearch && top.listOwn && listFolder(top))
                return finish(true);
            if (flags_.CancelSearch)
                return finish(false);
            ascend();
        }
        if (levels_.empty())
            return finish(false);
    }
}

} // namespace umbrix::scan

namespace umbrix {

bool ScanFolder(const ScanContext& context, const std::string& Folder,
                const std::string& ParentFolder)
{
    scan::Walk walk(context);
    try {
        return walk.run(Folder, ParentFolder);
    } catch (const std::bad_alloc&) {
        // Our own bookkeeping ran out of room: end the walk as a full result
        // list does.
        if (context.options.LogErrors)
            context.view.Log(std::string(scan::kTooManyEntries), true);
        context.flags.ScanAborted = true;
        return true;
    }
}

void Pause(SearchView& view, float Seconds)
{
    using Clock = std::chrono::steady_clock;
    using FloatSeconds = std::chrono::duration<double>;
    const Clock::time_point start = Clock::now();
    // NaN and negative waits end after the one yield.
    const double wait = Seconds > 0 ? static_cast<double>(Seconds) : 0.0;
    for (;;) {
        view.DoEvents();
        const double elapsed = FloatSeconds(Clock::now() - start).count();
        if (elapsed > wait)
            return;
        // Rest a moment between yields so that a long pause does not keep a
        // core busy; events are still handled every few milliseconds.
        std::this_thread::sleep_for(FloatSeconds(std::min(wait - elapsed, 0.002)));
    }
}

} // namespace umbrix
