// The layers of ARCHITECTURE.md, checked on every #include of src/: a file
// may include headers of its own layer or of a layer below, and the Qt-free
// layers include no Qt at all.  The build is held to the same table through
// its compile commands: a folder's code builds into its layer's library, and
// Qt-free code is compiled with no Qt in reach, so it cannot lean on Qt by
// accident (linking Qt, or a library that links it, would bring Qt's headers).

#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace umbrix::test {
namespace {

namespace fs = std::filesystem;

// From the bottom.  ui/controls and ui/services share a layer.
const std::map<std::string, int> kLayers{
    {"platform", 0},    {"fileops", 1}, {"search", 2},   {"suspects", 2},
    {"journal", 2},     {"log", 3},     {"settings", 4}, {"ui/services", 5},
    {"ui/controls", 5}, {"ui/main", 6}, {"app", 7},      {"cli", 7},
};

// Up to this layer the code builds into umbrix_core; the command line sits
// at the top beside the window, and runs where no Qt is installed.
bool qtFree(const std::string& folder)
{
    return kLayers.at(folder) <= 2 || folder == "cli";
}

std::string libraryOf(const std::string& folder)
{
    return folder == "cli" ? "umbrix_cli" : qtFree(folder) ? "umbrix_core" : "umbrix_ui";
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
// every file outside the known folders, as "file: include" lines; and, with
// the build's compile commands, every source built outside its folder's
// library, by no target or by two, and every Qt-free one compiled with Qt.
// Only a program's main.cpp is built outside a library.
std::vector<std::string> violations(const fs::path& src, const std::string& compileCommands)
{
    // CMake writes "command" and then "file" on lines of their own.
    std::map<std::string, std::vector<std::pair<std::string, bool>>> builds; // target, with Qt
    std::istringstream commands(compileCommands);
    static const std::regex target(R"(CMakeFiles/([^/ ]+)\.dir/)");
    std::smatch m;
    for (std::string line, command; std::getline(commands, line);) {
        if (line.find("\"command\":") != std::string::npos)
            command = line;
        const size_t file = line.find("\"file\": \"" + src.string() + "/");
        if (file != std::string::npos && std::regex_search(command, m, target))
            builds[line.substr(file + src.string().size() + 10,
                               line.rfind('"') - file - src.string().size() - 10)]
                .emplace_back(m[1], command.find("qt6") != std::string::npos);
    }
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
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            if (!std::regex_search(line, m, include))
                continue;
            const std::optional<std::string> to = folderOf(m[2]);
            if (m[1] == "<" && qtFree(*folder) && m[2].str().starts_with("Q"))
                found.push_back(relative + ": <" + m[2].str() + "> in a Qt-free layer");
            else if (m[1] == "\"" && to && kLayers.at(*to) > kLayers.at(*folder))
                found.push_back(relative + ": \"" + m[2].str() + "\"");
        }
        if (ext != ".cpp")
            continue;
        const auto& built = builds[relative];
        const bool program = entry.path().filename() == "main.cpp" && built.size() == 1 &&
                             !built[0].first.starts_with("umbrix_");
        if (built.size() != 1)
            found.push_back(relative + ": built by " + std::to_string(built.size()) + " targets");
        else if (built[0].first != libraryOf(*folder) && !program)
            found.push_back(relative + ": in " + built[0].first + ", not " + libraryOf(*folder));
        else if (built[0].second && qtFree(*folder))
            found.push_back(relative + ": compiled with Qt");
    }
    return found;
}

TEST(Layers, NoFileIncludesAHigherLayerOrBuildsOutsideItsLibrary)
{
    const fs::path src = fs::path(UMBRIX_SOURCE_DIR) / "src";
    ASSERT_TRUE(fs::is_directory(src / "platform")) << src;
    std::ostringstream commands;
    commands << std::ifstream(UMBRIX_BUILD_DIR "/compile_commands.json").rdbuf();
    ASSERT_NE(commands.str().find("/src/platform/"), std::string::npos);
    const std::vector<std::string> found = violations(src, commands.str());
    EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
}

// The check itself, on a small tree with one fault of each kind.
TEST(Layers, TheCheckSeesEachKindOfFault)
{
    const TempDir dir;
    const fs::path src = fs::path(dir.path()) / "src";
    const std::pair<const char*, const char*> files[] = {
        {"search/Walk.cpp", "#include \"search/Walk.h\"\n#include \"platform/Error.h\"\n"
                            "#include \"ui/main/FrmSeek.h\"\n#include <QString>\n"},
        {"search/Stray.cpp", ""},
        {"ui/main/Window.cpp", "#include \"search/Walk.h\"\n#include <QWidget>\n"},
        {"misc/Loose.h", ""},
        {"log/Log.cpp", ""},
        {"app/main.cpp", ""},
        {"cli/Tool.cpp", "#include \"search/Walk.h\"\n#include <QCoreApplication>\n"},
        {"cli/main.cpp", ""},
        {"fileops/Copy.cpp", ""},
    };
    std::string commands;
    const auto compiled = [&](const char* target, const char* file, const char* flags) {
        commands += std::string("  \"command\": \"c++ ") + flags + " -o src/CMakeFiles/" + target +
                    ".dir/x.o -c " + (src / file).string() + "\",\n  \"file\": \"" +
                    (src / file).string() + "\"\n";
    };
    for (const auto& [file, text] : files) {
        fs::create_directories((src / file).parent_path());
        std::ofstream(src / file) << text;
    }
    compiled("umbrix_ui", "search/Walk.cpp", "");
    compiled("umbrix_ui", "ui/main/Window.cpp", "-isystem /usr/include/qt6");
    compiled("umbrix_ui", "log/Log.cpp", "");
    compiled("umbrix", "app/main.cpp", "");
    compiled("umbrix_cli", "cli/Tool.cpp", "");
    compiled("umbrix-attrib", "cli/Tool.cpp", "");
    compiled("umbrix-attrib", "cli/main.cpp", "");
    compiled("umbrix_core", "fileops/Copy.cpp", "-isystem /usr/include/qt6/QtCore");
    std::vector<std::string> found = violations(src, commands);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found,
              (std::vector<std::string>{
                  "cli/Tool.cpp: <QCoreApplication> in a Qt-free layer",
                  "cli/Tool.cpp: built by 2 targets", "fileops/Copy.cpp: compiled with Qt",
                  "misc/Loose.h: outside every layer", "search/Stray.cpp: built by 0 targets",
                  "search/Walk.cpp: \"ui/main/FrmSeek.h\"",
                  "search/Walk.cpp: <QString> in a Qt-free layer",
                  "search/Walk.cpp: in umbrix_ui, not umbrix_core"}));
}

} // namespace
} // namespace umbrix::test
