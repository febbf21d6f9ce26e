#include "search/ScanWalk.h"

#include "platform/PathText.h"
#include "platform/Wildcard.h"

namespace umbrix::scan {

bool isDotEntry(std::string_view name)
{
    return name == "." || name == "..";
}

int nextName(DirectoryReader& reader, std::string_view pattern, std::string& name, ino_t& inode,
             unsigned char& type)
{
    DirectoryReader::Entry entry;
    while (reader.next(entry)) {
        if (pattern.empty() || wildcardMatch(pattern, entry.name)) {
            name.assign(entry.name);
            inode = entry.inode;
            type = entry.type;
            return 0;
        }
    }
    if (reader.error())
        return reader.error();
    name.clear();
    return 0;
}

void Walk::report(std::string_view folder, std::string_view name, const Error& error)
{
    view_.reportFailure(folder, name, error);
}

// The walk's handler: the access failures and bad names let it go on quietly
// with the next step, a full result list ends it, anything else is logged.
Resume Walk::scanFailure(const std::string& folder, const std::string& name, const Error& error)
{
    switch (error.number) {
    case ErrorNumber::InvalidArgument:
    case ErrorNumber::BadFileName:
    case ErrorNumber::PathFileAccess:
        return Resume::Next;
    case ErrorNumber::OutOfMemory:
        if (options_.LogErrors)
            view_.Log(std::string(kTooManyEntries), true);
        return Resume::Leave;
    default:
        report(folder, name, error);
        return Resume::Next;
    }
}

// GetSubFolders' handler.  Leave means the folder is not descended into; it
// is still listed.
Resume Walk::subFolderFailure(const std::string& folder, const std::string& name,
                              const Error& error)
{
    switch (error.number) {
    case ErrorNumber::InvalidArgument:
    case ErrorNumber::PathFileAccess:
        return Resume::Next;
    case ErrorNumber::BadFileName:
        if (options_.LogErrors) {
            std::string text(kUnableToAccess);
            text += '"';
            text += displayText(folder);
            text += '"';
            view_.Log(text, false);
        }
        return Resume::Leave;
    case ErrorNumber::FileNotFound:
        report(folder, name, error);
        return Resume::Next;
    default:
        report(folder, name, error);
        return Resume::Leave;
    }
}

// A folder that could not be opened: each pass that needed it says so.  Only
// a bad name with logging on keeps its own message; every other failure,
// the access errors included, goes out as the three-line report, so that no
// folder is passed over in silence.
void Walk::folderFailure(const std::string& folder, const Error& error, bool collecting)
{
    if (collecting && error.number == ErrorNumber::BadFileName && options_.LogErrors)
        subFolderFailure(folder, {}, error);
    else
        report(folder, {}, error);
}

} // namespace umbrix::scan
