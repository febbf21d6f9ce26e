#include "platform/DirectoryReader.h"

#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace umbrix {
namespace {

using Names = std::vector<std::string>;

Names childrenOf(const std::string& path)
{
    platform::DirectoryReader reader(path);
    EXPECT_TRUE(reader.valid()) << path;
    Names names;
    for (platform::DirectoryReader::Entry entry; reader.nextChild(entry);)
        names.emplace_back(entry.name);
    EXPECT_EQ(reader.error(), 0);
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DirectoryReader, ChildrenAreEveryEntryButTheFolderItselfAndItsParent)
{
    test::TempDir dir;
    test::makeTree(dir.path(), {"f/", "f/...", "f/.x", "f/..y/", "f/\xff"});
    EXPECT_EQ(childrenOf(dir / "f"), (Names{"...", "..y", ".x", "\xff"}));
    test::makeDir(dir / "empty");
    EXPECT_TRUE(childrenOf(dir / "empty").empty());
}

} // namespace
} // namespace umbrix
