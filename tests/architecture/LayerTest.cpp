// The layers of ARCHITECTURE.md, checked on every #include of src/: a file
// may include headers of its own layer or of a layer below, and the Qt-free
// layers include no Qt at all.

#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace umbrix::test {
namespace {

namespace fs = std::filesystem;

// From the bottom.  ui/controls and ui/services share a layer.
const std::map<std::string, int> kLayers{
    {"platform", 0},    {"fileops", 1},     {"search", 2},  {"suspects", 2}, {"journal", 2}, {"log", 3}, {"settings", 4},
    {"ui/services", 5}, {"ui/controls", 5}, {"ui/main", 6}, {"app", 7}, {"cli", 7},
};
// The layers that build into umbrix_core and must not need Qt.
const int kHighestQtFree = 2;

// The command line sits at the top beside the window, and runs where no
// Qt is installed.
bool qtFree(const std::string& folder)
{
    return kLayers.at(folder) <= kHighestQtFree || folder == "cli";
}

// The folder of `relative` (a path below src/) that names its layer.
std::optional<std::string> folderOf(const std::string& relative)
{
    for (const auto& [folder, layer] : kLayers)
        if (relative.starts_with(folder + "/"))
            return folder;
    return std::nullopt;
}

// Every include of a higher layer, every Qt include of a Qt-free layer, and
// every file outside the known folders, as "file: include" lines.
std::vector<std::string> violations(const fs::path& src)
{
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
            continue;
        const std::string relative = fs::relative(entry.path(), src).generic_string();
        const std::optional<std::string> folder = folderOf(relative);
        if (!folder) {
            found.push_back(relative + ": outside every layer");
            continue;
        }
        const int layer = kLayers.at(*folder);
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (!std::regex_search(line, m, include))
                continue;
            const std::string target = m[2];
            if (m[1] == "<") {
                if (qtFree(*folder) && target.starts_with("Q"))
                    found.push_back(relative + ": <" + target + "> in a Qt-free layer");
                continue;
            }
            const std::optional<std::string> to = folderOf(target);
            if (to && kLayers.at(*to) > layer)
                found.push_back(relative + ": \"" + target + "\"");
        }
    }
    return found;
}

TEST(Layers, NoFileIncludesAHigherLayer)
{
    const fs::path src = fs::path(UMBRIX_SOURCE_DIR) / "src";
    ASSERT_TRUE(fs::is_directory(src / "platform")) << src;
    const std::vector<std::string> found = violations(src);
    EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
}

TEST(Layers, TheCheckSeesAnUpwardIncludeAQtIncludeAndAStrayFile)
{
    const TempDir dir;
    const fs::path src = fs::path(dir.path()) / "src";
    fs::create_directories(src / "search");
    fs::create_directories(src / "ui/main");
    fs::create_directories(src / "misc");
    fs::create_directories(src / "cli");
    std::ofstream(src / "search/Walk.cpp") << "#include \"search/Walk.h\"\n"
                                              "#include \"platform/Error.h\"\n"
                                              "#include \"ui/main/FrmSeek.h\"\n"
                                              "#include <QString>\n";
    std::ofstream(src / "ui/main/Window.cpp") << "#include \"search/Walk.h\"\n#include <QWidget>\n";
    std::ofstream(src / "misc/Loose.cpp") << "\n";
    std::ofstream(src / "cli/Tool.cpp")
        << "#include \"search/Walk.h\"\n#include <QCoreApplication>\n";
    std::vector<std::string> found = violations(src);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found,
              (std::vector<std::string>{"cli/Tool.cpp: <QCoreApplication> in a Qt-free layer",
                                        "misc/Loose.cpp: outside every layer",
                                        "search/Walk.cpp: \"ui/main/FrmSeek.h\"",
                                        "search/Walk.cpp: <QString> in a Qt-free layer"}));
}

} // namespace
} // namespace umbrix::test
