#pragma once

#include <map>
#include <string>
#include <vector>

namespace umbrix::test {

struct AttribResult {
    int status = -1;
    std::string out; // exact bytes
    std::string err;
};

// umbrix-attrib's command in this process; `journalFolder` is where --undo
// looks.  The caller installs a journal if it wants one.
AttribResult attribHere(const std::vector<std::string>& arguments,
                        const std::string& journalFolder = {});

// The built program itself, with `environment` added to (or replacing in)
// the test's own.  Its output is captured in files in `workFolder`, and its
// journal goes to `workFolder`/data unless XDG_DATA_HOME is given: never
// into the user's own data folder.
AttribResult attribProgram(const std::vector<std::string>& arguments, const std::string& workFolder,
                           const std::map<std::string, std::string>& environment = {});

} // namespace umbrix::test
