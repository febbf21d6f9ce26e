#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace umbrix::suspects {

// The folder at the top of a searched tree that quarantined entries go to;
// the search never looks inside it.
inline constexpr std::string_view kQuarantineFolder = "Umbrix quarantine";

// A file or folder that looks left behind by a shortcut virus.
struct Suspect {
    std::string path;   // bytes
    std::string reason; // for people, in the words of the entry's own text
    bool directory = false;
    // False for a shortcut that could not be read: listed so that someone
    // looks at it, but not chosen for quarantine unless someone does.
    bool sure = true;
};

struct SuspectFailure {
    std::string path;
    int error = 0;
};

struct SuspectFindings {
    std::vector<Suspect> suspects; // sorted by path
    std::vector<SuspectFailure> failures;
    bool stopped = false;
};

// Called with each folder before it is read, so that the caller can show
// progress and yield; false stops the search.
using FolderVisit = std::function<bool(const std::string& folder)>;

// Searches the tree below `top`, which stands for the volume's top (a
// stick's mount point, as people open it).  Folders are opened from their
// open parents without following links, links are never judged nor
// entered, and files are read through descriptors that refuse links and
// never block.  Suspects are:
// - a shortcut that starts a command interpreter or script host, or a
//   program or script stored on the volume; its reason says so when a
//   hidden folder or file of its own name lies beside it;
// - a shortcut that cannot be read (not sure);
// - an autorun.inf that starts something;
// - a hidden or system program or script at the top or inside a hidden
//   folder;
// - a program or script that such a shortcut starts or names in its
//   arguments, or the file its arguments begin with (what rundll32 or a
//   script host is handed), unless a shortcut stands in its place by name
//   (it is then what the virus hid, the owner's);
// - a hidden folder, not the owner's, that holds suspects only: it is
//   listed instead of them.
SuspectFindings findSuspects(const std::string& top, const FolderVisit& visit);

} // namespace umbrix::suspects
