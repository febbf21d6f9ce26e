#include "suspects/SuspectSearch.h"

#include "platform/AsciiCase.h"
#include "platform/AttributeStore.h"
#include "platform/DirectoryReader.h"
#include "platform/Error.h"
#include "platform/FolderHandle.h"
#include "platform/PathChain.h"
#include "suspects/ShellLink.h"
#include "suspects/SuspectRules.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <optional>
#include <set>
#include <sys/stat.h>

namespace umbrix::suspects {
namespace {

namespace Attr = platform::Attr;

constexpr uint32_t kHiding = Attr::Hidden | Attr::System;
constexpr size_t kMaxAutorunBytes = 64 * 1024;

bool hiddenEntry(uint32_t word)
{
    return (word & kHiding) != 0 && (word & Attr::ReparsePoint) == 0;
}

struct Listed {
    std::string name;
    uint32_t word = 0;
};

// The bytes of the regular file `name` of the open folder, read through a
// descriptor that refuses a link and never waits on a FIFO; 0 or an errno
// (EFBIG beyond `limit`).
int readSmallFile(int folderFd, const std::string& name, size_t limit, std::string& bytes)
{
    platform::FileDescriptor fd(
        ::openat(folderFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (!fd)
        return errno;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    if (static_cast<uint64_t>(st.st_size) > limit)
        return EFBIG;
    bytes.assign(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return 0;
}

// An autorun.inf saved as UTF-16 reads as its ASCII letters.
std::string autorunText(const std::string& bytes)
{
    if (!bytes.starts_with("\xFF\xFE"))
        return bytes;
    std::string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
        if (bytes[i + 1] == '\0')
            text += bytes[i];
    return text;
}

class Search {
public:
    explicit Search(const FolderVisit& visit) : visit_(visit) {}
    SuspectFindings run(const std::string& top);

private:
    struct Found {
        std::string path;
        std::string name;
        uint32_t word = 0;
    };
    struct HiddenFolder {
        std::string path;
        size_t entries = 0;
    };

    void folder(int fd, const std::string& path, bool isTop, bool hidden, bool insideHidden);
    void file(int fd, const std::string& folderPath, const Listed& entry,
              const std::vector<Listed>& entries, bool isTop, bool insideHidden);
    void shortcut(int fd, const std::string& folderPath, const Listed& entry,
                  const std::vector<Listed>& entries);
    std::optional<Found> resolve(int folderFd, const std::string& folderPath,
                                 const std::string& windowsPath) const;
    std::optional<Found> lookUp(int fd, std::string path,
                                const std::vector<std::string>& components) const;
    std::string relative(const std::string& path) const;
    void add(const std::string& path, const std::string& reason, bool directory, bool sure);
    void fail(const std::string& path, int error) { failures_.push_back({path, error}); }
    void addStarted();
    void foldHiddenFolders();

    const FolderVisit& visit_;
    std::string topPath_;
    platform::FileDescriptor top_;
    dev_t topDevice_ = 0;
    bool stopped_ = false;
    std::map<std::string, Suspect> suspects_;
    std::vector<SuspectFailure> failures_;
    // Entries a shortcut of their name stands in for: what the virus hid.
    std::set<std::string> hiddenByVirus_;
    std::vector<std::pair<Found, std::string>> started_; // and the shortcut's name
    std::vector<HiddenFolder> hiddenFolders_;
};

SuspectFindings Search::run(const std::string& top)
{
    topPath_ = withoutTrailingSlashes(top);
    SuspectFindings findings;
    platform::FolderIdentity identity;
    int err = platform::openFolder(topPath_, top_);
    if (err == 0)
        err = platform::identityOf(top_.get(), identity);
    if (err != 0) {
        findings.failures.push_back({topPath_, err});
        return findings;
    }
    topDevice_ = identity.dev;
    folder(top_.get(), topPath_, true, false, false);
    addStarted();
    foldHiddenFolders();
    for (auto& [path, suspect] : suspects_)
        findings.suspects.push_back(std::move(suspect));
    findings.failures = std::move(failures_);
    findings.stopped = stopped_;
    return findings;
}

void Search::folder(int fd, const std::string& path, bool isTop, bool hidden, bool insideHidden)
{
    if (stopped_ || !visit_(path)) {
        stopped_ = true;
        return;
    }
    platform::FolderAttributes attributes;
    platform::FolderIdentity identity;
    if (const int err = platform::FolderAttributes::of(fd, attributes, identity)) {
        fail(path, err);
        return;
    }
    std::vector<Listed> entries;
    size_t count = 0;
    platform::DirectoryReader reader = platform::DirectoryReader::of(fd, true);
    platform::DirectoryReader::Entry entry;
    while (reader.nextChild(entry)) {
        if (isTop && entry.name == kQuarantineFolder)
            continue;
        ++count;
        Listed listed{std::string(entry.name), 0};
        const std::string entryPath = joinPath(path, listed.name);
        if (const int err = attributes.query(listed.name.c_str(), entry.type, entryPath, listed.word))
            fail(entryPath, err);
        else
            entries.push_back(std::move(listed));
    }
    if (reader.error())
        fail(path, reader.error());
    if (hidden)
        hiddenFolders_.push_back({path, count});

    for (const Listed& listed : entries)
        if ((listed.word & (Attr::Directory | Attr::ReparsePoint)) == 0)
            file(fd, path, listed, entries, isTop, insideHidden);
    for (const Listed& listed : entries) {
        if (stopped_)
            return;
        if ((listed.word & Attr::Directory) == 0 || (listed.word & Attr::ReparsePoint) != 0)
            continue;
        const std::string subPath = joinPath(path, listed.name);
        platform::FileDescriptor sub;
        platform::FolderIdentity subIdentity;
        if (const int err = platform::openFolderAt(fd, listed.name.c_str(), subPath, sub)) {
            fail(subPath, err);
            continue;
        }
        // Another filesystem mounted inside the tree is another volume.
        if (platform::identityOf(sub.get(), subIdentity) != 0 || subIdentity.dev != topDevice_)
            continue;
        const bool subHidden = hiddenEntry(listed.word);
        folder(sub.get(), subPath, false, subHidden, insideHidden || subHidden);
    }
}

void Search::file(int fd, const std::string& folderPath, const Listed& entry,
                  const std::vector<Listed>& entries, bool isTop, bool insideHidden)
{
    const std::string path = joinPath(folderPath, entry.name);
    if (isShortcutName(entry.name))
        shortcut(fd, folderPath, entry, entries);
    if (isAutorunName(entry.name)) {
        std::string bytes;
        if (const int err = readSmallFile(fd, entry.name, kMaxAutorunBytes, bytes))
            fail(path, err);
        else if (const std::string line = autorunCommand(autorunText(bytes)); !line.empty())
            add(path, "autorun.inf starts a program: " + line, false, true);
    }
    if (hiddenEntry(entry.word) && isProgramOrScript(entry.name) && (isTop || insideHidden))
        add(path,
            isTop ? "hidden program or script at the top" : "hidden program or script in a hidden folder",
            false, true);
}

void Search::shortcut(int fd, const std::string& folderPath, const Listed& entry,
                      const std::vector<Listed>& entries)
{
    const std::string path = joinPath(folderPath, entry.name);
    const std::string_view stem = std::string_view(entry.name).substr(0, entry.name.size() - 4);
    const auto beside = std::find_if(entries.begin(), entries.end(), [&](const Listed& other) {
        return hiddenEntry(other.word) && compareAsciiFolded(other.name, stem) == 0;
    });
    if (beside != entries.end())
        hiddenByVirus_.insert(joinPath(folderPath, beside->name));

    std::string bytes;
    ShellLink link;
    std::string unreadable;
    if (const int err = readSmallFile(fd, entry.name, kMaxShellLinkBytes, bytes))
        unreadable = err == EFBIG ? "larger than any shortcut" : SystemMessageText(err);
    else
        unreadable = readShellLink(bytes, link);
    if (!unreadable.empty()) {
        add(path, "shortcut that cannot be read: " + unreadable, false, false);
        return;
    }

    std::string reason;
    std::vector<Found> started;
    std::vector<std::string> words = targetPaths(link);
    // The first word of the arguments is what a script host or rundll32 is
    // handed to run, whatever its name.
    const size_t handed = words.size();
    for (std::string& word : commandWords(link.arguments))
        words.push_back(std::move(word));
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (const std::string host = interpreterOf(word); reason.empty() && !host.empty())
            reason = "shortcut that starts " + host;
        std::optional<Found> found = resolve(fd, folderPath, word);
        if (!found || !(isProgramOrScript(found->name) || i == handed))
            continue;
        if (reason.empty())
            reason = "shortcut that starts " + relative(found->path) + " on this volume";
        started.push_back(std::move(*found));
    }
    if (reason.empty())
        return;
    if (beside != entries.end())
        reason += (beside->word & Attr::Directory) ? ", beside a hidden folder of its name"
                                                   : ", beside a hidden file of its name";
    add(path, reason, false, true);
    for (Found& found : started)
        started_.emplace_back(std::move(found), entry.name);
}

std::optional<Search::Found> Search::resolve(int folderFd, const std::string& folderPath,
                                             const std::string& windowsPath) const
{
    const VolumePath volume = volumePath(windowsPath);
    if (volume.components.empty())
        return std::nullopt;
    if (!volume.fromTop)
        if (std::optional<Found> found = lookUp(folderFd, folderPath, volume.components))
            return found;
    return lookUp(top_.get(), topPath_, volume.components);
}

// Windows names are found whatever their letter case; each folder on the
// way is opened from its parent, never through a link.
std::optional<Search::Found> Search::lookUp(int fd, std::string path,
                                            const std::vector<std::string>& components) const
{
    platform::FileDescriptor held;
    for (size_t i = 0; i < components.size(); ++i) {
        std::string name;
        platform::DirectoryReader reader = platform::DirectoryReader::of(fd, true);
        platform::DirectoryReader::Entry entry;
        while (name.empty() && reader.nextChild(entry))
            if (compareAsciiFolded(entry.name, components[i]) == 0)
                name = entry.name;
        if (name.empty() || (fd == top_.get() && name == kQuarantineFolder))
            return std::nullopt;
        path = joinPath(path, name);
        if (i + 1 == components.size()) {
            uint32_t word = 0;
            if (platform::queryAttributesAt(fd, name.c_str(), path, word) != 0 ||
                (word & (Attr::Directory | Attr::ReparsePoint)) != 0)
                return std::nullopt;
            return Found{path, name, word};
        }
        platform::FileDescriptor next;
        if (platform::openFolderAt(fd, name.c_str(), path, next) != 0)
            return std::nullopt;
        held = std::move(next);
        fd = held.get();
    }
    return std::nullopt;
}

std::string Search::relative(const std::string& path) const
{
    return path.size() > topPath_.size() ? path.substr(topPath_.size() + 1) : path;
}

void Search::add(const std::string& path, const std::string& reason, bool directory, bool sure)
{
    auto [it, added] = suspects_.try_emplace(path, Suspect{path, reason, directory, sure});
    if (added)
        return;
    if (it->second.reason.find(reason) == std::string::npos)
        it->second.reason += "; " + reason;
    it->second.sure = it->second.sure || sure;
}

void Search::addStarted()
{
    for (const auto& [found, by] : started_)
        if (!hiddenByVirus_.contains(found.path))
            add(found.path, "started by the shortcut " + by, false, true);
}

// Deepest first, so that a folded folder counts as one suspect of its parent.
void Search::foldHiddenFolders()
{
    std::sort(hiddenFolders_.begin(), hiddenFolders_.end(),
              [](const HiddenFolder& a, const HiddenFolder& b) { return a.path > b.path; });
    for (const HiddenFolder& folder : hiddenFolders_) {
        if (folder.entries == 0 || hiddenByVirus_.contains(folder.path))
            continue;
        const std::string prefix = folder.path + "/";
        std::vector<std::string> children;
        bool sure = true;
        for (auto it = suspects_.lower_bound(prefix);
             it != suspects_.end() && it->first.starts_with(prefix); ++it)
            if (it->first.find('/', prefix.size()) == std::string::npos) {
                children.push_back(it->first);
                sure = sure && it->second.sure;
            }
        if (children.size() != folder.entries || !sure)
            continue;
        for (const std::string& child : children)
            suspects_.erase(child);
        add(folder.path, "hidden folder that holds only suspects (" +
                             std::to_string(children.size()) + ")",
            true, true);
    }
}

} // namespace

SuspectFindings findSuspects(const std::string& top, const FolderVisit& visit)
{
    return Search(visit).run(top);
}

} // namespace umbrix::suspects
