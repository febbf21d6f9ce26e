// The attribute, select-all and file command rows of the benchmark: each
// window run beside its raw loop or tool, every run checked on disk.

#include "CommandRows.h"

#include "AttributeRun.h"
#include "FileCommandRun.h"
#include "SelectAllRun.h"
#include "Stopwatch.h"
#include "TreeBuilder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace umbrix::bench {
namespace {

// The panel's boxes after each attribute run (read-only, hidden, system,
// archive, directory): every file is hidden + archive, and clearing hidden
// leaves that box unchecked.
constexpr const char* kBoxesAfterClear = "00010";
constexpr const char* kBoxesAfterSummary = "01010";

void checkAttributeRun(Verdicts& v, const std::string& label, int64_t rows,
                       const AttributeWindowResult& r, const char* boxes)
{
    v.expect(label + " rows listed", rows, r.rows);
    v.expect(label + " rows selected", rows, r.selected);
    v.expectText(label + " attribute boxes", boxes, r.boxes);
}

void checkSelectAll(Verdicts& v, int64_t rows, const SelectAllResult& r)
{
    v.expect("(s) rows listed", rows, r.rows);
    v.expect("(s) rows selected", rows, r.selected);
    v.expectText("(s) attribute boxes", kBoxesAfterSummary, r.boxes);
}

} // namespace

// Runs (d) and (e) with their raw loops at every attribute size, `runs`
// times each in a rotating order; every clearing run is checked on disk and
// undone.
std::vector<AttributeFigures> runAttributeRows(const Options& options, const std::string& work,
                                               Verdicts& v)
{
    struct Selection {
        std::string root;
        std::vector<std::string> paths;
    };
    std::vector<Selection> selections;
    for (int64_t size : options.attributeSizes) {
        Selection s;
        s.root = work + "/attributes" + std::to_string(size);
        if (mkdir(s.root.c_str(), 0755) != 0)
            throw std::runtime_error("mkdir " + s.root + ": " + std::strerror(errno));
        s.paths = buildAttributeFiles(s.root, size);
        selections.push_back(std::move(s));
    }
    // Untimed: the files and the program into the caches.
    for (const Selection& s : selections)
        rawReadHidden(s.paths);
    runAttributeWindow(selections.front().root, settingsFolder(work),
                       static_cast<int64_t>(selections.front().paths.size()),
                       AttributeRunKind::Summary);

    std::vector<AttributeFigures> figures(selections.size());
    for (int run = 0; run < options.runs; ++run) {
        for (size_t i = 0; i < selections.size(); ++i) {
            const Selection& s = selections[i];
            const auto n = static_cast<int64_t>(s.paths.size());
            AttributeFigures& f = figures[i];
            f.rows = n;
            for (int k = 0; k < 4; ++k) {
                switch ((k + run) % 4) {
                case 0: {
                    const Stopwatch watch;
                    v.expect("(d) raw: hidden files found", n, rawClearHidden(s.paths));
                    f.rawClear.push_back(watch.wallSeconds());
                    v.expect("(d) raw: files unhidden on disk", n, rehideFiles(s.paths));
                    break;
                }
                case 1: {
                    const AttributeWindowResult r = runAttributeWindow(
                        s.root, settingsFolder(work), n, AttributeRunKind::ClearHidden);
                    f.windowClear.push_back(r.seconds);
                    f.windowClearCpu.push_back(r.cpuSeconds);
                    f.clearGapMs = std::max(f.clearGapMs, r.longestGapMs);
                    f.clearGapCpuMs = std::max(f.clearGapCpuMs, r.longestGapCpuMs);
                    checkAttributeRun(v, "(d)", n, r, kBoxesAfterClear);
                    v.expect("(d): files unhidden on disk", n, rehideFiles(s.paths));
                    break;
                }
                case 2: {
                    const Stopwatch watch;
                    v.expect("(e) raw: hidden files found", n, rawReadHidden(s.paths));
                    f.rawSummary.push_back(watch.wallSeconds());
                    break;
                }
                default: {
                    const AttributeWindowResult r = runAttributeWindow(
                        s.root, settingsFolder(work), n, AttributeRunKind::Summary);
                    f.windowSummary.push_back(r.seconds);
                    f.windowSummaryCpu.push_back(r.cpuSeconds);
                    f.summaryGapMs = std::max(f.summaryGapMs, r.longestGapMs);
                    f.summaryGapCpuMs = std::max(f.summaryGapCpuMs, r.longestGapCpuMs);
                    checkAttributeRun(v, "(e)", n, r, kBoxesAfterSummary);
                    v.expect("(e): files left hidden on disk", 0, rehideFiles(s.paths));
                    break;
                }
                }
            }
        }
        std::fprintf(stderr, "attribute round %d of %d done\n", run + 1, options.runs);
    }
    return figures;
}

// (s) at a full result list box, `runs` times, each in a fresh process.
std::vector<SelectAllResult> runSelectAllRows(const std::string& work, int64_t rows, int runs,
                                              Verdicts& v)
{
    const std::string root = work + "/select-all";
    if (mkdir(root.c_str(), 0755) != 0)
        throw std::runtime_error("mkdir " + root + ": " + std::strerror(errno));
    rawReadHidden(buildAttributeFiles(root, rows));
    std::vector<SelectAllResult> results;
    for (int run = 0; run < runs; ++run) {
        results.push_back(runSelectAllWindow(root, settingsFolder(work)));
        checkSelectAll(v, rows, results.back());
    }
    return results;
}

// (h) and (i) with the tools beside them, `runs` times each, the window and
// the tool taking turns to go first.  Two identical trees are built for each
// round of (h); every run is checked on disk.
FileCommandFigures runFileCommandRows(const Options& options, const std::string& work, Verdicts& v)
{
    FileCommandFigures f;
    f.copyFiles = options.copyFiles;
    const std::string sourceRoot = work + "/copy-sources";
    if (mkdir(sourceRoot.c_str(), 0755) != 0)
        throw std::runtime_error("mkdir " + sourceRoot + ": " + std::strerror(errno));
    const std::vector<std::string> sources = buildCopyFiles(sourceRoot, options.copyFiles);
    std::vector<std::string> cp = {"/bin/cp", "-a", "--preserve=all"};
    cp.insert(cp.end(), sources.begin(), sources.end());
    const auto target = [&](const char* name) {
        const std::string folder = work + "/" + name;
        if (mkdir(folder.c_str(), 0755) != 0)
            throw std::runtime_error("mkdir " + folder + ": " + std::strerror(errno));
        return folder;
    };

    for (int run = 0; run < options.runs; ++run) {
        const std::string rawTree = target("delete-raw");
        const std::string windowTree = target("delete-window");
        const BuiltTree rawBuilt = buildTree(rawTree, options.deleteEntries);
        const BuiltTree windowBuilt = buildTree(windowTree, options.deleteEntries);
        v.expect("(h) identical trees", rawBuilt.counts.entries(), windowBuilt.counts.entries());
        f.treeEntries = windowBuilt.counts.entries() + 1;
        const std::string rawCopy = target("copy-raw");
        const std::string windowCopy = target("copy-window");

        for (int k = 0; k < 4; ++k) {
            switch ((k + run) % 4) {
            case 0:
                f.rawDelete.push_back(timeProgram({"/bin/rm", "-rf", rawTree}));
                v.expect("(h) raw: tree left", -1, countEntries(rawTree));
                break;
            case 1: {
                const FileCommandResult r =
                    runFileCommandWindow("delete", windowTree, settingsFolder(work), 1, "-");
                f.windowDelete.push_back(r.seconds);
                f.windowDeleteCpu.push_back(r.cpuSeconds);
                f.deleteGapMs = std::max(f.deleteGapMs, r.longestGapMs);
                f.deleteGapCpuMs = std::max(f.deleteGapCpuMs, r.longestGapCpuMs);
                v.expect("(h): tree left", -1, countEntries(windowTree));
                v.expect("(h): rows before", 1, r.rowsBefore);
                v.expect("(h): rows after", 0, r.rowsAfter);
                v.expect("(h): message boxes", 0, r.messages);
                break;
            }
            case 2: {
                std::vector<std::string> args = cp;
                args.push_back(rawCopy + "/");
                f.rawCopy.push_back(timeProgram(args));
                v.expect("(i) raw: faithful copies", options.copyFiles,
                         countFaithfulCopies(sources, rawCopy));
                break;
            }
            default: {
                const FileCommandResult r = runFileCommandWindow(
                    "copy", sourceRoot, settingsFolder(work), options.copyFiles, windowCopy);
                f.windowCopy.push_back(r.seconds);
                f.windowCopyCpu.push_back(r.cpuSeconds);
                f.copyGapMs = std::max(f.copyGapMs, r.longestGapMs);
                f.copyGapCpuMs = std::max(f.copyGapCpuMs, r.longestGapCpuMs);
                v.expect("(i): faithful copies", options.copyFiles,
                         countFaithfulCopies(sources, windowCopy));
                v.expect("(i): rows", options.copyFiles, r.rowsAfter);
                v.expect("(i): completion message", 1, r.messages);
                break;
            }
            }
        }
        removeTree(rawCopy);
        removeTree(windowCopy);
        std::fprintf(stderr, "file command round %d of %d done\n", run + 1, options.runs);
    }
    return f;
}

} // namespace umbrix::bench
