#pragma once

#include "support/Tools.h"

#include <string>
#include <vector>

namespace umbrix::test {

// A Wine prefix in `folder` (inside a TempDir) for Wine's "attrib" as a judge
// of the user.DOSATTRIB text form.  Making a prefix takes seconds, so a test
// program makes one and keeps it for all its cases; the destructor stops the
// prefix's wineserver.
//
// A machine without Wine gives a skip reason; a prefix that cannot be made
// where Wine exists is a failure.
class WinePrefix : public Peer {
public:
    explicit WinePrefix(const std::string& folder);
    ~WinePrefix();
    WinePrefix(const WinePrefix&) = delete;
    WinePrefix& operator=(const WinePrefix&) = delete;

    bool ready() const { return ready_; }

    // `attrib <change> Z:\...` for the Linux path `path`; change is one of
    // "+h", "-r"... (Wine 8's attrib takes one per call).
    void attrib(const std::string& path, const std::string& change);
    // The letters Wine shows for the entry, spaces taken out ("AH", "ASH").
    std::string attributesOf(const std::string& path);

private:
    // Runs `wine cmd /c attrib ...`; the output, or "" and a test failure.
    std::string run(const std::vector<std::string>& arguments);

    std::string wine_;
    std::string prefix_;
    std::string log_;
    bool ready_ = false;
};

} // namespace umbrix::test
