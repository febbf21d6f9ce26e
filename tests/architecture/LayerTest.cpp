// The layers of ARCHITECTURE.md, checked on every #include of src/: a file
// may include headers of its own layer or of a layer below, and the Qt-free
// layers include no Qt at all.  The CMake files are held to the same table:
// a folder's code builds into its layer's library, and the Qt-free
// libraries do not link Qt, so Qt-free code cannot lean on Qt by accident.

#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
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

// The library that builds a folder's code.
std::string libraryOf(const std::string& folder)
{
    if (folder == "cli")
        return "umbrix_cli";
    return qtFree(folder) ? "umbrix_core" : "umbrix_ui";
}

bool qtFreeLibrary(const std::string& target)
{
    return target == "umbrix_core" || target == "umbrix_cli";
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

// Every source built outside its folder's library, by no target or by two,
// and every Qt library a Qt-free library links.  Only a program's main.cpp
// is built outside a library.
std::vector<std::string> libraryViolations(const fs::path& src)
{
    static const std::regex call(
        R"(\b(add_library|add_executable|target_sources|target_link_libraries)\s*\(([^)]*)\))");
    static const std::set<std::string> keywords{"PRIVATE", "PUBLIC", "INTERFACE", "STATIC", "OBJECT"};
    std::map<std::string, std::vector<std::string>> builtBy;
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        if (entry.path().filename() != "CMakeLists.txt")
            continue;
        const fs::path folder = fs::relative(entry.path().parent_path(), src);
        std::stringstream text;
        text << std::ifstream(entry.path()).rdbuf();
        const std::string cmake = text.str();
        for (std::sregex_iterator it(cmake.begin(), cmake.end(), call), end; it != end; ++it) {
            std::istringstream words((*it)[2].str());
            std::string target;
            words >> target;
            const bool linking = (*it)[1] == "target_link_libraries";
            for (std::string word; words >> word;) {
                if (keywords.contains(word))
                    continue;
                if (linking && qtFreeLibrary(target) && (word.starts_with("Qt") || word == "umbrix_ui"))
                    found.push_back(target + " links " + word);
                else if (!linking && word.ends_with(".cpp"))
                    builtBy[(folder / word).lexically_normal().generic_string()].push_back(target);
            }
        }
    }
    for (const auto& entry : fs::recursive_directory_iterator(src)) {
        const std::string relative = fs::relative(entry.path(), src).generic_string();
        const std::optional<std::string> folder = folderOf(relative);
        if (!entry.is_regular_file() || entry.path().extension() != ".cpp" || !folder)
            continue;
        const std::vector<std::string>& targets = builtBy[relative];
        if (targets.size() != 1) {
            found.push_back(relative + ": built by " + std::to_string(targets.size()) + " targets");
            continue;
        }
        const bool program = entry.path().filename() == "main.cpp" && !targets[0].starts_with("umbrix_");
        if (targets[0] != libraryOf(*folder) && !program)
            found.push_back(relative + ": in " + targets[0] + ", not " + libraryOf(*folder));
    }
    return found;
}

TEST(Layers, NoFileIncludesAHigherLayer)
{
    const fs::path src = fs::path(UMBRIX_SOURCE_DIR) / "src";
    ASSERT_TRUE(fs::is_directory(src / "platform")) << src;
    const std::vector<std::string> found = violations(src);
    EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
    const std::vector<std::string> libraries = libraryViolations(src);
    EXPECT_TRUE(libraries.empty()) << ::testing::PrintToString(libraries);
}

// The checks themselves, on a small tree with one fault of each kind.
TEST(Layers, TheCheckSeesEachKindOfFault)
{
    const TempDir dir;
    const fs::path src = fs::path(dir.path()) / "src";
    const std::pair<const char*, const char*> files[] = {
        {"search/Walk.cpp", "#include \"search/Walk.h\"\n#include \"platform/Error.h\"\n"
                            "#include \"ui/main/FrmSeek.h\"\n#include <QString>\n"},
        {"search/Stray.cpp", ""},
        {"ui/main/Window.cpp", "#include \"search/Walk.h\"\n#include <QWidget>\n"},
        {"misc/Loose.cpp", ""},
        {"log/Log.cpp", ""},
        {"app/main.cpp", ""},
        {"cli/Tool.cpp", "#include \"search/Walk.h\"\n#include <QCoreApplication>\n"},
        {"cli/main.cpp", ""},
        {"CMakeLists.txt", "add_library(umbrix_core STATIC)\n"
                           "target_link_libraries(umbrix_core PUBLIC Qt6::Core)\n"
                           "add_executable(umbrix app/main.cpp)\n"},
        {"search/CMakeLists.txt", "target_sources(umbrix_ui PRIVATE\n  Walk.cpp\n)\n"},
        {"log/CMakeLists.txt", "target_sources(umbrix_ui PRIVATE Log.cpp)\n"},
        {"ui/main/CMakeLists.txt", "target_sources(umbrix_ui PRIVATE Window.cpp)\n"},
        {"cli/CMakeLists.txt", "add_library(umbrix_cli STATIC Tool.cpp)\n"
                               "target_link_libraries(umbrix_cli PUBLIC umbrix_ui)\n"
                               "add_executable(umbrix-attrib main.cpp Tool.cpp)\n"},
    };
    for (const auto& [file, text] : files) {
        fs::create_directories((src / file).parent_path());
        std::ofstream(src / file) << text;
    }
    std::vector<std::string> found = violations(src);
    const std::vector<std::string> libraries = libraryViolations(src);
    found.insert(found.end(), libraries.begin(), libraries.end());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"cli/Tool.cpp: <QCoreApplication> in a Qt-free layer",
                                               "cli/Tool.cpp: built by 2 targets",
                                               "misc/Loose.cpp: outside every layer",
                                               "search/Stray.cpp: built by 0 targets",
                                               "search/Walk.cpp: \"ui/main/FrmSeek.h\"",
                                               "search/Walk.cpp: <QString> in a Qt-free layer",
                                               "search/Walk.cpp: in umbrix_ui, not umbrix_core",
                                               "umbrix_cli links umbrix_ui", "umbrix_core links Qt6::Core"}));
}

} // namespace
} // namespace umbrix::test
