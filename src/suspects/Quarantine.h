#pragma once

#include "platform/AttributeJournal.h"
#include "suspects/SuspectSearch.h"

#include <string>
#include <vector>

namespace umbrix::suspects {

struct QuarantineMove {
    std::string from;
    std::string to;
};

struct QuarantineResult {
    std::vector<QuarantineMove> moved;
    std::vector<SuspectFailure> failures; // nothing of these was moved
    bool stopped = false;
};

// Moves each of `paths` (entries below `top`, as findSuspects named them)
// by rename into the quarantine folder at `top`, made when missing.  Never
// deletes, never copies: a move that would leave the volume fails with the
// system's word, as does one whose place in the quarantine is taken.  The
// folders on each entry's way are opened from `top` without following a
// link, and the entry itself is moved, not what a link points to.  Every
// move, and the quarantine folder when it is made, goes to the installed
// journal, so that an undo puts the entries back.  `visit` is called with
// each path before its move; false stops.
QuarantineResult quarantine(const std::string& top, const std::vector<std::string>& paths,
                            const FolderVisit& visit);

// The undo of one move: the entry at `to` goes back to `from`, both reached
// from the top without following a link.  0 or an errno: ENOENT when
// nothing is at `to` any more, ESTALE when another inode than `identity`
// (when known) is there, EEXIST when something else took `from` meanwhile;
// everything is then left as it is.
int moveBack(const std::string& from, const std::string& to, platform::JournalIdentity identity);

// The undo of a quarantine folder made: removes it when it is empty and
// still the folder made.  0 or an errno (ENOTEMPTY when something else is
// in it).
int removeMadeFolder(const std::string& path, platform::JournalIdentity identity);

} // namespace umbrix::suspects
