#pragma once

#include "journal/JournalFolder.h"

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

// The built program itself.  Its output is captured in files in
// `workFolder`, and its journal goes to `dataHome` (XDG_DATA_HOME), by
// default `workFolder`/data: never into the user's own data folder.
AttribResult attribProgram(const std::vector<std::string>& arguments, const std::string& workFolder,
                           const std::string& dataHome = {});

// The pieces of `text` each ended by `end`, or by the end of the text.
std::vector<std::string> piecesOf(const std::string& text, char end = '\n');

// The journal files of `folder`, oldest run first; a folder the journal
// refuses fails the test.
std::vector<JournalFileInfo> journalsIn(const std::string& folder);

} // namespace umbrix::test
