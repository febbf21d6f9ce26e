// The search measured against the least work it must do: builds trees,
// times the raw walk (a), the scanner alone (b) and the search through the
// window (c) side by side, and checks every run's counts against the tree.

#include "AttributeRun.h"
#include "BaselineWalk.h"
#include "BenchCommon.h"
#include "BrowseRun.h"
#include "CommandRows.h"
#include "FileCommandRun.h"
#include "ReferenceRun.h"
#include "Report.h"
#include "ScannerRun.h"
#include "SelectAllRun.h"
#include "Stopwatch.h"
#include "SyscallCount.h"
#include "TreeBuilder.h"
#include "WalkRun.h"
#include "WindowRun.h"
#include "search/ResultRows.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace umbrix::bench {
namespace {

constexpr int64_t kCheckEntries = 3000; // enough for every kind of link
constexpr int64_t kCheckAttributeRows = 500;
constexpr int64_t kCheckDeleteEntries = 3000;
constexpr int64_t kCheckCopyFiles = 200;
constexpr int64_t kCheckBrowseFiles = 25000; // more than a round of the file list

void usage()
{
    std::fprintf(stderr,
                 "usage: umbrix_bench [--sizes N,N,...] [--attribute-sizes N,N,...] [--runs N]\n"
                 "                    [--delete-entries N] [--copy-files N] [--browse-files N]\n"
                 "                    [--dir FOLDER]\n"
                 "                    [--reference-walker PATH]\n"
                 "                    [--search-only | --attributes-only | --select-all-only |\n"
                 "                     --file-commands-only | --browse-only]\n"
                 "       umbrix_bench --check   (one run of each kind on a small tree; exits 1\n"
                 "                               when a count disagrees with the tree)\n");
}

std::vector<int64_t> parseSizes(const char* text)
{
    std::vector<int64_t> sizes;
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ','))
        sizes.push_back(std::strtoll(item.c_str(), nullptr, 10));
    return sizes;
}

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--check") {
            options.check = true;
        } else if (arg == "--sizes" && hasValue) {
            options.sizes = parseSizes(argv[++i]);
        } else if (arg == "--attribute-sizes" && hasValue) {
            options.attributeSizes = parseSizes(argv[++i]);
        } else if (arg == "--delete-entries" && hasValue) {
            options.deleteEntries = std::strtoll(argv[++i], nullptr, 10);
        } else if (arg == "--copy-files" && hasValue) {
            options.copyFiles = std::strtoll(argv[++i], nullptr, 10);
        } else if (arg == "--browse-files" && hasValue) {
            options.browseFiles = std::strtoll(argv[++i], nullptr, 10);
        } else if (arg == "--search-only") {
            options.attributes = options.selectAll = options.fileCommands = options.browse = false;
        } else if (arg == "--attributes-only") {
            options.search = options.selectAll = options.fileCommands = options.browse = false;
        } else if (arg == "--select-all-only") {
            options.search = options.attributes = options.fileCommands = options.browse = false;
        } else if (arg == "--file-commands-only") {
            options.search = options.attributes = options.selectAll = options.browse = false;
        } else if (arg == "--browse-only") {
            options.search = options.attributes = options.selectAll = options.fileCommands = false;
        } else if (arg == "--runs" && hasValue) {
            options.runs = std::atoi(argv[++i]);
        } else if (arg == "--dir" && hasValue) {
            options.dir = argv[++i];
        } else if (arg == "--reference-walker" && hasValue) {
            options.referenceWalker = argv[++i];
        } else {
            return false;
        }
    }
    for (const auto* list : {&options.sizes, &options.attributeSizes})
        for (int64_t size : *list)
            if (size <= 0)
                return false;
    return options.runs > 0 && !options.sizes.empty() && !options.attributeSizes.empty() &&
           options.deleteEntries > 0 && options.copyFiles > 0 && options.browseFiles > 0 &&
           (options.search || options.attributes || options.selectAll || options.fileCommands ||
            options.browse);
}

// The folder every tree of this run lives in, removed with them at the end.
class WorkFolder {
public:
    explicit WorkFolder(const std::string& base)
    {
        std::string pattern = base + "/umbrix-bench-XXXXXX";
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("cannot make a folder in " + base + ": " +
                                     std::strerror(errno));
        path_ = pattern;
    }
    ~WorkFolder() { removeTree(path_); }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string baseFolder(const Options& options)
{
    if (!options.dir.empty())
        return options.dir;
    for (const char* name : {"UMBRIX_TEST_TMP", "TMPDIR"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return "/tmp";
}

void checkRaw(Verdicts& v, const std::string& label, const TreeCounts& c, const BaselineCounts& r)
{
    v.expect(label + " entries examined", c.entries(), r.entries);
    v.expect(label + " entries listed", c.listed(), r.listed);
    v.expect(label + " entries unhidden", c.hidden, r.unhidden);
}

void checkScanner(Verdicts& v, const std::string& label, const TreeCounts& c,
                  const ScannerResult& r)
{
    v.expect(label + " entries examined (ScannedCount)", c.scanned(), r.scanned);
    v.expect(label + " rows listed", c.listed(), r.rows);
    v.expect(label + " failures logged", 0, r.logged);
    v.expect(label + " stopped", 0, r.stopped);
}

void checkWindow(Verdicts& v, const std::string& label, const TreeCounts& c, const WindowResult& r,
                 bool viewAll = false)
{
    v.expect(label + " scanned count shown", c.scanned(), r.scanned);
    v.expect(label + " rows listed", viewAll ? c.folders + c.files : c.listed(), r.rows);
    v.expect(label + " results view with the completion message", 1, r.completed);
}

// After every run that changed the disk: puts the hidden attributes back and
// checks that exactly the hidden entries had been unhidden.  The rewrites are
// then flushed, so that their write-back does not run beside the next timed
// run and fall on whichever kind comes next.
void restore(Verdicts& v, const std::string& label, const BuiltTree& tree, const std::string& root)
{
    v.expect(label + " entries unhidden on disk", tree.counts.hidden,
             restoreHidden(tree.hiddenEntries));
    if (const int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

// The machine is shared: how busy it was belongs with the figures.
std::string loadAverage()
{
    std::FILE* f = std::fopen("/proc/loadavg", "r");
    if (!f)
        return "unknown";
    char text[64] = {};
    const bool read = std::fgets(text, sizeof text, f) != nullptr;
    std::fclose(f);
    std::string value = read ? text : "unknown";
    // The 1, 5 and 15 minute averages only.
    size_t end = 0;
    for (int field = 0; field < 3 && end != std::string::npos; ++field)
        end = value.find(' ', end + (field ? 1 : 0));
    return value.substr(0, end);
}

int runCheck(const std::string& work)
{
    const std::string root = work + "/check";
    if (mkdir(root.c_str(), 0755) != 0)
        throw std::runtime_error("mkdir " + root + ": " + std::strerror(errno));
    const BuiltTree tree = buildTree(root, kCheckEntries);
    const TreeCounts& c = tree.counts;
    std::printf("tree: %lld entries (%lld folders, %lld files, %lld links), %lld hidden, "
                "%lld system, %lld hidden+system\n",
                static_cast<long long>(c.entries()), static_cast<long long>(c.folders),
                static_cast<long long>(c.files), static_cast<long long>(c.links),
                static_cast<long long>(c.hidden), static_cast<long long>(c.system),
                static_cast<long long>(c.hiddenSystem));

    Verdicts v;
    v.expect("tree size", kCheckEntries, c.entries());
    v.expectTally("pristine:", pristineTally(c), tallyDisk(root));

    checkRaw(v, "(a)", c, baselineWalk(root));
    v.expectTally("after (a):", searchedTally(c), tallyDisk(root));
    restore(v, "(a)", tree, root);
    v.expectTally("restored after (a):", pristineTally(c), tallyDisk(root));

    checkScanner(v, "(b)", c, runScanner(root));
    v.expectTally("after (b):", searchedTally(c), tallyDisk(root));
    restore(v, "(b)", tree, root);
    v.expectTally("restored after (b):", pristineTally(c), tallyDisk(root));

    const WindowResult w = runWindowSearch(root, settingsFolder(work));
    checkWindow(v, "(c)", c, w);
    v.expect("(c) result list boxes", 1, w.boxes);
    v.expectTally("after (c):", searchedTally(c), tallyDisk(root));
    restore(v, "(c)", tree, root);
    v.expectTally("restored after (c):", pristineTally(c), tallyDisk(root));

    checkWindow(v, "(v)", c, runWindowSearch(root, settingsFolder(work), true), true);
    restore(v, "(v)", tree, root);

    Options small;
    small.attributeSizes = {kCheckAttributeRows};
    small.runs = 1;
    runAttributeRows(small, work, v);
    runSelectAllRows(work, kCheckAttributeRows, 1, v);
    small.deleteEntries = kCheckDeleteEntries;
    small.copyFiles = kCheckCopyFiles;
    runFileCommandRows(small, work, v);
    runBrowseRows(kCheckBrowseFiles, 1, work, v);

    v.print(stdout);
    std::printf("%s\n", v.clean() ? "every count agrees with the tree" : "counts disagree");
    return v.clean() ? 0 : 1;
}

// The search rows: (a), (b) and (c) at every tree size, with their report.
void runSearchRows(const Options& options, const std::string& work, Verdicts& v)
{
    struct Tree {
        std::string root;
        BuiltTree built;
    };
    std::vector<Tree> trees;
    for (int64_t size : options.sizes) {
        Tree t;
        t.root = work + "/tree" + std::to_string(size);
        if (mkdir(t.root.c_str(), 0755) != 0)
            throw std::runtime_error("mkdir " + t.root + ": " + std::strerror(errno));
        const Stopwatch watch;
        t.built = buildTree(t.root, size);
        const TreeCounts& c = t.built.counts;
        std::printf("built %s: %lld entries (%lld folders, %lld links), %lld to list, "
                    "%lld to unhide, in %.1f s\n",
                    t.root.c_str(), static_cast<long long>(c.entries()),
                    static_cast<long long>(c.folders), static_cast<long long>(c.links),
                    static_cast<long long>(c.listed()), static_cast<long long>(c.hidden),
                    watch.wallSeconds());
        std::fflush(stdout);
        trees.push_back(std::move(t));
    }

    // Untimed: brings every tree and the program itself into the caches.
    for (const Tree& t : trees) {
        baselineWalk(t.root);
        restoreHidden(t.built.hiddenEntries);
    }
    runWindowSearch(trees.front().root, settingsFolder(work));
    restoreHidden(trees.front().built.hiddenEntries);

    const std::string loadBefore = loadAverage();
    std::vector<SizeFigures> figures(trees.size());
    for (size_t i = 0; i < trees.size(); ++i) {
        figures[i].entries = trees[i].built.counts.entries();
        figures[i].listed = trees[i].built.counts.listed();
    }

    // Each round runs every kind at every size, the kinds in a rotating
    // order, so that a noisy moment of the machine falls on all of them alike.
    for (int run = 0; run < options.runs; ++run) {
        for (size_t i = 0; i < trees.size(); ++i) {
            const Tree& t = trees[i];
            const TreeCounts& c = t.built.counts;
            SizeFigures& f = figures[i];
            const int kinds = options.referenceWalker.empty() ? 4 : 5;
            for (int k = 0; k < kinds; ++k) {
                switch ((k + run) % kinds) {
                case 0: {
                    const TimedBaseline r = runBaselineApart(t.root);
                    f.raw.add(r.seconds);
                    f.rawCpu.add(r.cpuSeconds);
                    checkRaw(v, "(a)", c, r.counts);
                    restore(v, "(a)", t.built, t.root);
                    break;
                }
                case 1: {
                    const ScannerResult r = runScannerApart(t.root);
                    f.scanner.add(r.seconds);
                    f.scannerCpu.add(r.cpuSeconds);
                    checkScanner(v, "(b)", c, r);
                    restore(v, "(b)", t.built, t.root);
                    break;
                }
                case 4: {
                    const ReferenceResult r = runReferenceWalker(options.referenceWalker, t.root);
                    f.reference.add(r.seconds);
                    f.referenceCpu.add(r.cpuSeconds);
                    checkRaw(v, "(r)", c, BaselineCounts{r.entries, r.listed, r.unhidden});
                    restore(v, "(r)", t.built, t.root);
                    break;
                }
                default: {
                    const bool viewAll = (k + run) % kinds == 3;
                    const WindowResult r = runWindowSearch(t.root, settingsFolder(work), viewAll);
                    WindowFigures& w = viewAll ? f.viewAll : f.window;
                    w.time.add(r.seconds);
                    w.cpu.add(r.cpuSeconds);
                    w.boxes = r.boxes;
                    w.longestGapMs = std::max(w.longestGapMs, r.longestGapMs);
                    w.longestGapCpuMs = std::max(w.longestGapCpuMs, r.longestGapCpuMs);
                    w.worstLatencyMs = std::max(w.worstLatencyMs, r.worstLatencyMs);
                    w.peakKiB = std::max(w.peakKiB, r.peakKiB);
                    checkWindow(v, viewAll ? "(v)" : "(c)", c, r, viewAll);
                    restore(v, viewAll ? "(v)" : "(c)", t.built, t.root);
                    break;
                }
                }
            }
        }
        std::fprintf(stderr, "round %d of %d done\n", run + 1, options.runs);
    }

    std::printf("\nload average (1, 5, 15 min) before the timed runs: %s; after: %s\n",
                loadBefore.c_str(), loadAverage().c_str());

    // Untimed: the system calls of (a) and (b) at the size nearest 100 000.
    size_t counted = 0;
    for (size_t i = 1; i < trees.size(); ++i)
        if (std::llabs(trees[i].built.counts.entries() - 100000) <
            std::llabs(trees[counted].built.counts.entries() - 100000))
            counted = i;
    SyscallFigures calls;
    calls.entries = trees[counted].built.counts.entries();
    calls.raw = countSyscalls("a", trees[counted].root, calls.how);
    restoreHidden(trees[counted].built.hiddenEntries);
    calls.scanner = countSyscalls("b", trees[counted].root, calls.how);
    restoreHidden(trees[counted].built.hiddenEntries);
    calls.rawCalls = baselineCalls();
    calls.referenceWalker = options.referenceWalker;

    printReport(stdout, figures, calls, options.runs);
    std::fflush(stdout);
}

int runBenchmark(const Options& options, const std::string& work)
{
    Verdicts v;
    if (options.search)
        runSearchRows(options, work, v);
    if (options.attributes) {
        const std::string loadBefore = loadAverage();
        const std::vector<AttributeFigures> figures = runAttributeRows(options, work, v);
        std::printf("\nload average (1, 5, 15 min) before the attribute runs: %s; after: %s\n",
                    loadBefore.c_str(), loadAverage().c_str());
        printAttributeReport(stdout, figures, options.runs);
    }
    if (options.selectAll)
        printSelectAllReport(stdout, runSelectAllRows(work, ResultBoxFullRows, options.runs, v));
    if (options.fileCommands) {
        const std::string loadBefore = loadAverage();
        const FileCommandFigures figures = runFileCommandRows(options, work, v);
        std::printf(
            "\nload average (1, 5, 15 min) before the delete and copy runs: %s; after: %s\n",
            loadBefore.c_str(), loadAverage().c_str());
        printFileCommandReport(stdout, figures, options.runs);
    }
    if (options.browse)
        printBrowseReport(stdout, runBrowseRows(options.browseFiles, options.runs, work, v));
    std::printf("\n");
    v.print(stdout);
    std::printf("%s\n", v.clean() ? "counts: every run agrees with its tree"
                                  : "counts: some runs disagree with their trees");
    // Removing the trees takes a while; the figures are shown first.
    std::fflush(stdout);
    return v.clean() ? 0 : 1;
}

} // namespace

} // namespace umbrix::bench

int main(int argc, char** argv)
{
    using namespace umbrix::bench;
    if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "--window-run") == 0)
        return windowRunMain(argc, argv, argv[2], argv[3],
                             argc == 5 && std::strcmp(argv[4], "view-all") == 0);
    if (argc == 4 && std::strcmp(argv[1], "--walk-run") == 0)
        return walkRunMain(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--browse-run") == 0)
        return browseRunMain(argc, argv, argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--select-all-run") == 0)
        return selectAllRunMain(argc, argv, argv[2], argv[3]);
    if (argc == 7 && std::strcmp(argv[1], "--file-command-run") == 0)
        return fileCommandRunMain(argc, argv, argv[2], argv[3], argv[4],
                                  std::strtoll(argv[5], nullptr, 10), argv[6]);
    if (argc == 6 && std::strcmp(argv[1], "--attribute-run") == 0)
        return attributeRunMain(argc, argv, argv[2], argv[3], std::strtoll(argv[4], nullptr, 10),
                                argv[5]);

    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage();
        return 2;
    }
    try {
        const WorkFolder work(baseFolder(options));
        // Qt wants a private runtime folder; without one every window run
        // would say so on stderr.
        if (!std::getenv("XDG_RUNTIME_DIR")) {
            const std::string runtime = work.path() + "/runtime";
            if (mkdir(runtime.c_str(), 0700) == 0)
                setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        }
        return options.check ? runCheck(work.path()) : runBenchmark(options, work.path());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "umbrix_bench: %s\n", e.what());
        return 1;
    }
}
