#include "cli/AttribCommand.h"

#include "cli/Interrupt.h"
#include "cli/NtfsNameOrder.h"
#include "platform/AttributeJournal.h"
#include "platform/AttributeStore.h"
#include "platform/DirectoryReader.h"
#include "platform/Error.h"
#include "platform/FolderHandle.h"
#include "platform/Wildcard.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace umbrix::cli {
namespace {

namespace Attr = platform::Attr;
using platform::DirectoryReader;
using platform::FileDescriptor;
using platform::FolderAttributes;
using platform::FolderIdentity;

class AttribWalk {
public:
    AttribWalk(const AttribArguments& arguments, Output& output)
        : a_(arguments), out_(output), changes_((arguments.set | arguments.clear) != 0)
    {}

    void argument(const std::string& given);

private:
    void walk(int folderFd, const std::string& folder, std::string_view pattern, bool recurse);
    void entry(int folderFd, const FolderAttributes& attributes, const std::string& path,
               const char* name, bool file = false);
    void change(int folderFd, const std::string& path, const char* name, EntryReport& report);
    void emitScripted(const EntryReport& report, bool pathToo);

    const AttribArguments& a_;
    Output& out_;
    const bool changes_;
    int64_t matched_ = 0;
    int64_t met_ = 0;
};

std::string notFound(int err)
{
    return err == ENOENT || err == ENOTDIR ? "Path not found" : SystemMessageText(err);
}

void AttribWalk::argument(const std::string& given)
{
    const std::string full = absolutePath(given);
    const size_t end = full.find_last_not_of('/');
    std::string folder;
    std::string name;
    if (end == std::string::npos) {
        folder = "/";
        name = ".";
    } else if (end + 1 < full.size()) {
        // "folder/": everything in it.
        folder = full.substr(0, end + 1) + "/";
    } else {
        const size_t slash = full.rfind('/', end);
        folder = full.substr(0, slash + 1);
        name = full.substr(slash + 1);
    }

    FileDescriptor fd;
    if (const int err = platform::openFolder(folder, fd)) {
        out_.failure(notFound(err), full);
        return;
    }
    const int64_t before = matched_;
    const int64_t failedBefore = out_.failures();
    if (name.empty() || hasWildcards(name)) {
        walk(fd.get(), folder, name.empty() ? "*" : name, a_.recurse);
    } else {
        FolderIdentity identity;
        const bool exists = platform::identityAt(fd.get(), name.c_str(), identity) == 0;
        if (exists && a_.recurse && S_ISDIR(identity.mode)) {
            // A folder named with /S: everything below it.
            FileDescriptor sub;
            const std::string path = name == "." ? folder : folder + name;
            if (const int err = platform::openFolderAt(fd.get(), name.c_str(), path, sub)) {
                out_.failure(SystemMessageText(err), path);
                return;
            }
            walk(sub.get(), path.ends_with('/') ? path : path + "/", "*", true);
        } else if (exists && !a_.recurse) {
            FolderAttributes attributes;
            FolderIdentity folderIdentity;
            if (const int err = FolderAttributes::of(fd.get(), attributes, folderIdentity)) {
                out_.failure(SystemMessageText(err), folder);
                return;
            }
            entry(fd.get(), attributes, name == "." ? folder : folder + name, name.c_str());
        } else if (a_.recurse) {
            walk(fd.get(), folder, name, true);
        }
    }
    // A folder that could not be read has said so already.
    if (matched_ == before && out_.failures() == failedBefore && !interrupted())
        out_.failure("File not found", full);
}

// The matching entries of the folder first, in name order, then its
// subfolders, as attrib goes.  Links are never entered, and listed only
// with /L, as entries of their own.
void AttribWalk::walk(int folderFd, const std::string& folder, std::string_view pattern,
                      bool recurse)
{
    FolderAttributes attributes;
    FolderIdentity identity;
    if (const int err = FolderAttributes::of(folderFd, attributes, identity)) {
        out_.failure(SystemMessageText(err), folder);
        return;
    }
    std::vector<std::string> matches;
    std::vector<std::string> subFolders;
    // Every folder is walked once, from the handle just opened for it.
    DirectoryReader reader = DirectoryReader::of(folderFd);
    DirectoryReader::Entry e;
    while (reader.nextChild(e)) {
        out_.progress().update(++met_, folder);
        unsigned char type = e.type;
        if (type == DT_UNKNOWN) {
            FolderIdentity found;
            const std::string name(e.name);
            if (platform::identityAt(folderFd, name.c_str(), found) == 0)
                type = S_ISDIR(found.mode) ? DT_DIR : S_ISLNK(found.mode) ? DT_LNK : DT_REG;
        }
        if (type == DT_LNK) {
            if (a_.links && wildcardMatch(pattern, e.name))
                matches.emplace_back(e.name);
            continue;
        }
        const bool directory = type == DT_DIR;
        if (directory && recurse)
            subFolders.emplace_back(e.name);
        if ((!directory || a_.directories) && wildcardMatch(pattern, e.name))
            matches.emplace_back(e.name);
    }
    if (reader.error())
        out_.failure(SystemMessageText(reader.error()), folder);
    sortInNtfsOrder(matches);
    sortInNtfsOrder(subFolders);

    std::string path = folder;
    for (const std::string& name : matches) {
        if (interrupted())
            return;
        path.resize(folder.size());
        path += name;
        entry(folderFd, attributes, path, name.c_str(), !a_.directories && !a_.links);
    }
    for (const std::string& name : subFolders) {
        if (interrupted())
            return;
        path.resize(folder.size());
        path += name;
        FileDescriptor sub;
        if (const int err = platform::openFolderAt(folderFd, name.c_str(), path, sub)) {
            out_.failure(SystemMessageText(err), path);
            continue;
        }
        walk(sub.get(), path + "/", pattern, true);
    }
}

// A match that can only be a file, neither a folder nor a link, is read
// from the folder's store without a stat of its own.
void AttribWalk::entry(int folderFd, const FolderAttributes& attributes, const std::string& path,
                       const char* name, bool file)
{
    ++matched_;
    uint32_t word = 0;
    if (const int err = file ? attributes.query(name, DT_REG, path, word)
                             : platform::queryAttributesAt(folderFd, name, path, word)) {
        out_.failure(SystemMessageText(err), path);
        return;
    }
    EntryReport report{path, platform::storeName(attributes.store()), word, word, {}};
    if (!changes_) {
        out_.listed(report);
        return;
    }
    change(folderFd, path, name, report);
}

// attrib leaves a hidden or system entry alone unless the command names
// that attribute: a "+R" over a folder must not touch the files Windows
// keeps hidden in it.
void AttribWalk::change(int folderFd, const std::string& path, const char* name,
                        EntryReport& report)
{
    const uint32_t word = report.before;
    const uint32_t named = a_.set | a_.clear;
    const char* refusal =
        (word & Attr::System) && !(named & Attr::System)   ? "Not resetting system file"
        : (word & Attr::Hidden) && !(named & Attr::Hidden) ? "Not resetting hidden file"
                                                           : nullptr;
    if (refusal) {
        out_.failure(refusal, path);
        report.note = refusal;
        emitScripted(report, false);
        return;
    }
    const uint32_t target = ((word & ~a_.clear) | a_.set) & Attr::Writable;
    if (target != (word & Attr::Writable)) {
        if (const int err = platform::storeAttributesAt(folderFd, name, path, target)) {
            const std::string message = SystemMessageText(err);
            out_.failure(message, path);
            report.note = message;
            emitScripted(report, false);
            return;
        }
        report.after = (word & ~Attr::Writable) | target;
    }
    emitScripted(report, true);
}

// attrib says nothing of what it changed; scripts get what they asked for.
void AttribWalk::emitScripted(const EntryReport& report, bool pathToo)
{
    if (out_.format() == OutputFormat::Json || (pathToo && out_.format() == OutputFormat::Nul))
        out_.listed(report);
}

} // namespace

std::string absolutePath(const std::string& path)
{
    if (path.starts_with('/'))
        return path;
    std::string_view rest = path;
    while (rest.starts_with("./"))
        rest.remove_prefix(2);
    char cwd[PATH_MAX];
    std::string full = ::getcwd(cwd, sizeof cwd) ? cwd : ".";
    if (rest.empty() || rest == ".")
        return full;
    if (!full.ends_with('/'))
        full += '/';
    return full.append(rest);
}

void runAttrib(const AttribArguments& arguments, Output& output)
{
    AttribWalk walk(arguments, output);
    for (const std::string& path : arguments.paths) {
        if (interrupted())
            break;
        walk.argument(path);
    }
    platform::flushAttributeJournal();
}

} // namespace umbrix::cli
