#include "support/WinePrefix.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace umbrix::test {
namespace {

std::string windowsPath(const std::string& path)
{
    std::string out = "Z:" + path;
    for (char& c : out)
        if (c == '/')
            c = '\\';
    return out;
}

} // namespace

WinePrefix::WinePrefix(const std::string& folder)
    : prefix_(folder + "/wineprefix"), log_(folder + "/wine.log")
{
    wine_ = findTool("wine");
    if (wine_.empty()) {
        absent("Wine is not installed (Debian packages wine, wine64)");
        return;
    }
    // The test program is Wine's only user here; its environment reaches
    // every wine it starts.
    ::setenv("WINEPREFIX", prefix_.c_str(), 1);
    ::setenv("WINEDEBUG", "-all", 1);
    ::setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    std::remove(log_.c_str());
    if (runTool(wine_, {"cmd", "/c", "echo", "ready"}, log_) != 0 ||
        readTextFile(log_).find("ready") == std::string::npos) {
        failed("Wine could not make a prefix: " + readTextFile(log_));
        return;
    }
    ready_ = true;
}

WinePrefix::~WinePrefix()
{
    const std::string server = findTool("wineserver");
    if (!wine_.empty() && !server.empty())
        runTool(server, {"-k"}, log_);
}

std::string WinePrefix::run(const std::vector<std::string>& arguments)
{
    std::vector<std::string> args{"cmd", "/c", "attrib"};
    args.insert(args.end(), arguments.begin(), arguments.end());
    // On a loaded machine Wine's cmd now and then fails to start attrib.exe
    // or ends without a word; a later start does the work.
    int status = -1;
    std::string output;
    for (int attempt = 0; attempt < 4 && status != 0; ++attempt) {
        std::remove(log_.c_str());
        status = runTool(wine_, args, log_);
        output = readTextFile(log_);
    }
    if (status != 0) {
        ADD_FAILURE() << "wine cmd /c attrib failed for " << arguments.back() << ": " << output;
        return {};
    }
    return output;
}

void WinePrefix::attrib(const std::string& path, const std::string& change)
{
    run({change, windowsPath(path)});
}

std::string WinePrefix::attributesOf(const std::string& path)
{
    const std::string output = run({windowsPath(path)});
    const size_t name = output.find("Z:\\");
    std::string letters;
    for (size_t i = 0; name != std::string::npos && i < name; ++i)
        if (output[i] != ' ')
            letters += output[i];
    if (name == std::string::npos)
        ADD_FAILURE() << "Wine shows no entry for " << path << ": " << output;
    return letters;
}

} // namespace umbrix::test
