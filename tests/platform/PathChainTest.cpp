#include "platform/PathChain.h"

#include <gtest/gtest.h>

namespace umbrix {
namespace {

TEST(PathChain, SplitGivesTheFolderToOpenAndTheNameInIt)
{
    const struct {
        const char* path;
        const char* folder;
        const char* name;
    } cases[] = {{"/a/b/c", "/a/b", "c"}, {"/a", "/", "a"}, {"a/\xff", "a", "\xff"},
                 {"name", ".", "name"},   {"/", "/", ""},   {"//a", "/", "a"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const FolderAndName split = splitPath(c.path);
        EXPECT_EQ(split.folder, c.folder);
        EXPECT_EQ(split.name, c.name);
    }
}

} // namespace
} // namespace umbrix
