#include "cli/AttribRun.h"

#include "cli/AttribMain.h"
#include "support/Tools.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace umbrix::test {
namespace {

std::string drained(std::FILE* file, char*& buffer, size_t& size)
{
    std::fclose(file);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

} // namespace

AttribResult attribHere(const std::vector<std::string>& arguments, const std::string& journalFolder)
{
    char* outBuffer = nullptr;
    char* errBuffer = nullptr;
    size_t outSize = 0;
    size_t errSize = 0;
    std::FILE* out = open_memstream(&outBuffer, &outSize);
    std::FILE* err = open_memstream(&errBuffer, &errSize);
    std::vector<std::string> argv{"umbrix-attrib"};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    AttribResult result;
    result.status = cli::attribMain(argv, out, err, journalFolder);
    result.out = drained(out, outBuffer, outSize);
    result.err = drained(err, errBuffer, errSize);
    return result;
}

AttribResult attribProgram(const std::vector<std::string>& arguments, const std::string& workFolder,
                           const std::string& dataHome)
{
    const std::string outPath = workFolder + "/attrib.out";
    const std::string errPath = workFolder + "/attrib.err";
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    const std::string data = dataHome.empty() ? workFolder + "/data" : dataHome;
    AttribResult result;
    result.status = waitTool(
        startTool(UMBRIX_ATTRIB_PROGRAM, arguments, outPath, errPath, {"XDG_DATA_HOME=" + data}));
    result.out = readTextFile(outPath);
    result.err = readTextFile(errPath);
    return result;
}

std::vector<std::string> piecesOf(const std::string& text, char end)
{
    std::vector<std::string> pieces;
    for (size_t at = 0, stop; at < text.size(); at = stop + 1) {
        stop = std::min(text.find(end, at), text.size());
        pieces.push_back(text.substr(at, stop - at));
    }
    return pieces;
}

std::vector<JournalFileInfo> journalsIn(const std::string& folder)
{
    std::vector<JournalFileInfo> files;
    EXPECT_EQ(journalFiles(folder, files), "") << folder;
    return files;
}

} // namespace umbrix::test
