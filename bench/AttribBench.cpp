// umbrix_attrib_bench: umbrix-attrib /S and --unhide over the benchmark's
// tree, each against the scanner (b) alone, interleaved as the main
// benchmark runs its kinds.  The tool runs as a person runs it: its own
// process, its output to /dev/null, its journal written.

#include "ScannerRun.h"
#include "Stopwatch.h"
#include "TreeBuilder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace umbrix::bench {
namespace {

// Wall seconds; `cpu` gets the child's user and system time.
double runTool(const std::vector<std::string>& arguments, double& cpu)
{
    std::vector<std::string> text{UMBRIX_ATTRIB_PROGRAM};
    text.insert(text.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& t : text)
        argv.push_back(t.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const Stopwatch watch;
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + text[0]);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    const double seconds = watch.wallSeconds();
    const auto toSeconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    };
    cpu = toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(text[0] + " " + text[1] + " failed");
    return seconds;
}

struct Times {
    std::vector<double> seconds;
    std::vector<double> cpu;
    double minCpu() const { return *std::min_element(cpu.begin(), cpu.end()); }
    double min() const { return *std::min_element(seconds.begin(), seconds.end()); }
    double median() const
    {
        std::vector<double> s = seconds;
        std::sort(s.begin(), s.end());
        return s[s.size() / 2];
    }
};

} // namespace
} // namespace umbrix::bench

int main(int argc, char** argv)
{
    using namespace umbrix::bench;
    int64_t size = 300000;
    int runs = 5;
    bool buildOnly = false; // leaves the tree for a profiler; prints where
    std::string dir = std::getenv("UMBRIX_TEST_TMP") ? std::getenv("UMBRIX_TEST_TMP") : "/tmp";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--build-only") {
            buildOnly = true;
            continue;
        }
        if (i + 1 >= argc)
            break;
        if (arg == "--size")
            size = std::atoll(argv[i + 1]);
        else if (arg == "--runs")
            runs = std::atoi(argv[i + 1]);
        else if (arg == "--dir")
            dir = argv[i + 1];
        ++i;
    }
    std::string work = dir + "/umbrix-attrib-bench-XXXXXX";
    if (!mkdtemp(work.data()))
        return 1;
    // The tool's journal goes here, not into the person's data folder.
    setenv("XDG_DATA_HOME", (work + "/data").c_str(), 1);
    const std::string root = work + "/tree";
    mkdir(root.c_str(), 0755);
    try {
        const BuiltTree tree = buildTree(root, size);
        std::printf("tree: %lld entries (%lld hidden, unhidden by each search)\n",
                    static_cast<long long>(tree.counts.entries()),
                    static_cast<long long>(tree.counts.hidden));
        if (buildOnly) {
            std::printf("%s\n", root.c_str());
            return 0;
        }
        Times scanner, attrib, unhide;
        for (int run = 0; run < runs; ++run) {
            const ScannerResult b = runScanner(root);
            if (b.rows != tree.counts.listed() ||
                restoreHidden(tree.hiddenEntries) != tree.counts.hidden)
                throw std::runtime_error("the scanner's counts differ from the tree");
            scanner.seconds.push_back(b.seconds);
            scanner.cpu.push_back(b.cpuSeconds);
            double cpu = 0;
            attrib.seconds.push_back(runTool({"/S", root}, cpu));
            attrib.cpu.push_back(cpu);
            unhide.seconds.push_back(runTool({"--unhide", root}, cpu));
            unhide.cpu.push_back(cpu);
            if (restoreHidden(tree.hiddenEntries) != tree.counts.hidden)
                throw std::runtime_error("--unhide did not unhide every hidden entry");
            removeTree(work + "/data");
        }
        // The machine is shared: the CPU time shows what each run itself cost.
        std::printf("%-32s %9s %9s %8s %9s %8s\n", "kind", "min s", "median s", "/ (b)",
                    "min CPU s", "/ (b)");
        const auto row = [&](const char* kind, const Times& t) {
            std::printf("%-32s %9.3f %9.3f %8.2f %9.3f %8.2f\n", kind, t.min(), t.median(),
                        t.min() / scanner.min(), t.minCpu(), t.minCpu() / scanner.minCpu());
        };
        row("(b) scanner, host does nothing", scanner);
        row("(j) umbrix-attrib /S", attrib);
        row("(k) umbrix-attrib --unhide", unhide);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "umbrix_attrib_bench: %s\n", e.what());
        removeTree(work);
        return 1;
    }
    removeTree(work);
    return 0;
}
