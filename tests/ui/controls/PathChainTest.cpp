#include "ui/controls/PathChain.h"

#include <gtest/gtest.h>

#include <climits>
#include <unistd.h>

namespace umbrix {
namespace {

TEST(PathChain, AbsolutePathResolvesByName)
{
    EXPECT_EQ(absolutePath("/a//b/./c/"), "/a/b/c");
    EXPECT_EQ(absolutePath("/a/b/../../.."), "/");
    EXPECT_EQ(absolutePath("/.."), "/");
    EXPECT_EQ(absolutePath("/a/..b/c.."), "/a/..b/c..");
    EXPECT_EQ(absolutePath(""), "");

    char cwd[PATH_MAX];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(absolutePath("."), cwd);
    EXPECT_EQ(absolutePath("x/y/.."), joinPath(cwd, "x"));
}

TEST(PathChain, AncestorsAndNames)
{
    EXPECT_EQ(ancestorsOf("/a/b/c"), (std::vector<std::string>{"/", "/a", "/a/b"}));
    EXPECT_EQ(ancestorsOf("/a"), (std::vector<std::string>{"/"}));
    EXPECT_TRUE(ancestorsOf("/").empty());
    EXPECT_EQ(lastComponent("/a/b c"), "b c");
    EXPECT_EQ(lastComponent("/"), "/");
    EXPECT_EQ(joinPath("/", "x"), "/x");
    EXPECT_EQ(joinPath("/a", "x"), "/a/x");
}

} // namespace
} // namespace umbrix
