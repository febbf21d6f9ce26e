#include "FileCommandRun.h"

#include "FlatFiles.h"
#include "GapMeter.h"
#include "OffscreenWindow.h"
#include "RowFormat.h"
#include "Stopwatch.h"
#include "WindowRun.h"
#include "platform/AttributeStore.h"
#include "ui/controls/ResultListBox.h"
#include "ui/main/FrmSeek.h"
#include "ui/services/FolderBrowser.h"
#include "ui/services/Interaction.h"

#include <QApplication>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace umbrix::bench {
namespace {

constexpr const char* kResultTag = "file-command-run";
constexpr const char* kXattr = "user.DOSATTRIB";
constexpr size_t kFileSize = 1024;

// The attributes as the program reads them: a copy holds the source's in a
// value of its own, with its own creation time.
int64_t wordOf(const std::string& path)
{
    uint32_t word = 0;
    return platform::queryAttributes(path, word) == 0 ? word : -1;
}

} // namespace

std::vector<std::string> buildCopyFiles(const std::string& root, int64_t count)
{
    const std::string content(kFileSize, 'x');
    std::vector<std::string> paths;
    paths.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        const std::string path = makeFlatFile(root, i, 'c', content);
        static const char value[] = "0x22";
        if (lsetxattr(path.c_str(), kXattr, value, sizeof value, 0) != 0)
            throw std::runtime_error("setxattr " + path + ": " + std::strerror(errno));
        paths.push_back(path);
    }
    return paths;
}

int64_t countEntries(const std::string& root)
{
    DIR* dir = opendir(root.c_str());
    if (!dir)
        return -1;
    int64_t count = 0;
    std::vector<std::string> folders;
    while (const dirent* e = readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        ++count;
        if (e->d_type == DT_DIR)
            folders.push_back(root + "/" + e->d_name);
    }
    closedir(dir);
    for (const std::string& f : folders)
        count += std::max<int64_t>(0, countEntries(f));
    return count;
}

int64_t countFaithfulCopies(const std::vector<std::string>& sources, const std::string& target)
{
    int64_t faithful = 0;
    for (const std::string& source : sources) {
        const std::string copy = target + "/" + source.substr(source.rfind('/') + 1);
        struct stat a;
        struct stat b;
        if (lstat(source.c_str(), &a) == 0 && lstat(copy.c_str(), &b) == 0 && S_ISREG(b.st_mode) &&
            a.st_size == b.st_size && wordOf(copy) >= 0 && wordOf(source) == wordOf(copy))
            ++faithful;
    }
    return faithful;
}

double timeProgram(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    std::vector<std::string> copies = args;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const Stopwatch watch;
    const pid_t child = fork();
    if (child < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (child == 0) {
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    const double seconds = watch.wallSeconds();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(args.front() + " failed (status " + std::to_string(status) + ")");
    return seconds;
}

int fileCommandRunMain(int argc, char** argv, const std::string& kind, const std::string& root,
                       const std::string& settings, int64_t count, const std::string& target)
{
    OffscreenWindow offscreen(argc, argv, settings);
    ScopedFolderBrowser browser([&](const FolderBrowseCall&) { return target; });
    if (!offscreen.start())
        return 2;
    FrmSeek& window = offscreen.window;
    const AppState& state = offscreen.state;
    ResultListBox& box = offscreen.showFound([&](FrmSeek& found) {
        if (kind == "delete") {
            const size_t slash = root.rfind('/');
            found.lstFoundFiles.FoundFileAdd(root.substr(0, slash + 1), root.substr(slash + 1));
        } else {
            for (int64_t i = 0; i < count; ++i)
                found.lstFoundFiles.FoundFileAdd(folderOf(root, i), numberedFile('c', i));
        }
    });
    box.setAllSelected(true);
    box.setListIndex(0);
    window.SourceList = SourceKind::Listbox;
    settle(state);

    FileCommandResult r;
    r.rowsBefore = box.ListCount();
    GapMeter gaps;
    gaps.start();
    int deleteKey = 46; // with Ctrl+Shift: no question
    const Stopwatch watch;
    if (kind == "delete")
        window.lstFoundFiles.lstFoundFiles_KeyDown(0, deleteKey, 3);
    else
        window.mnuCopy_Click();
    r.seconds = watch.wallSeconds();
    r.cpuSeconds = watch.cpuSeconds();
    gaps.stop();

    r.rowsAfter = box.ListCount();
    r.messages = static_cast<int64_t>(offscreen.answers.calls().size());
    r.yields = gaps.rounds();
    r.longestGapMs = gaps.longestMs();
    r.longestGapCpuMs = gaps.longestCpuMs();
    std::printf("%s %.6f %.6f %lld %lld %lld %lld %.3f %.3f\n", kResultTag, r.seconds, r.cpuSeconds,
                static_cast<long long>(r.rowsBefore), static_cast<long long>(r.rowsAfter),
                static_cast<long long>(r.messages), static_cast<long long>(r.yields),
                r.longestGapMs, r.longestGapCpuMs);
    std::fflush(stdout);
    return offscreen.beeps.count() == 0 ? 0 : 3;
}

FileCommandResult runFileCommandWindow(const std::string& kind, const std::string& root,
                                       const std::string& settings, int64_t count,
                                       const std::string& target)
{
    const std::string text =
        runThisProgram({"--file-command-run", kind, root, settings, std::to_string(count), target});
    std::istringstream line(text.substr(std::min(text.size(), text.rfind(kResultTag))));
    std::string tag;
    FileCommandResult r;
    line >> tag >> r.seconds >> r.cpuSeconds >> r.rowsBefore >> r.rowsAfter >> r.messages >>
        r.yields >> r.longestGapMs >> r.longestGapCpuMs;
    if (!line || tag != kResultTag)
        throw std::runtime_error("the file command run printed no result: " + text);
    return r;
}

namespace {

constexpr double kDeleteOverRaw = 2.0;
constexpr double kCopyOverRaw = 1.5;
constexpr double kGapMs = 20;

} // namespace

void printFileCommandReport(std::FILE* out, const FileCommandFigures& f, int runs)
{
    std::fprintf(out,
                 "\nDelete and copy through the window, %d timed runs each, interleaved with the "
                 "tools\n"
                 "  (h) a found tree deleted with Ctrl+Shift+Delete on its row; raw: rm -rf of an "
                 "identical tree\n"
                 "  (i) selected result files copied through Copy...; raw: cp -a --preserve=all of "
                 "the same files\n"
                 "  wall seconds (min, median), the window thread's CPU seconds (median), "
                 "ns per entry\n\n",
                 runs);
    std::fprintf(out, "%9s  %-26s %9s %9s %9s %9s\n", "entries", "kind", "min", "median", "cpu",
                 "ns/entry");
    timedRow(out, f.treeEntries, "(h) raw: rm -rf", 26, f.rawDelete, {});
    timedRow(out, f.treeEntries, "(h) delete through window", 26, f.windowDelete,
             f.windowDeleteCpu);
    timedRow(out, f.copyFiles, "(i) raw: cp -a", 26, f.rawCopy, {});
    timedRow(out, f.copyFiles, "(i) copy through window", 26, f.windowCopy, f.windowCopyCpu);

    std::fprintf(out, "\nGoals\n");
    const double deleteRatio = median(f.windowDelete) / median(f.rawDelete);
    goalLine(out, "(h) delete / rm -rf (median wall), at most 2", deleteRatio,
             deleteRatio <= kDeleteOverRaw);
    const double copyRatio = median(f.windowCopy) / median(f.rawCopy);
    goalLine(out, "(i) copy / cp -a (median wall), at most 1.5", copyRatio,
             copyRatio <= kCopyOverRaw);
    goalLine(out, "(h) longest gap between event rounds, ms, at most 20", f.deleteGapMs,
             f.deleteGapMs <= kGapMs);
    std::fprintf(out, "  %-58s %8.2f\n", "    of which the window thread's CPU, ms",
                 f.deleteGapCpuMs);
    goalLine(out, "(i) longest gap between event rounds, ms, at most 20", f.copyGapMs,
             f.copyGapMs <= kGapMs);
    std::fprintf(out, "  %-58s %8.2f\n", "    of which the window thread's CPU, ms",
                 f.copyGapCpuMs);
}

} // namespace umbrix::bench
