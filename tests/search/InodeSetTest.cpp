#include "search/InodeSet.h"

#include <gtest/gtest.h>
#include <random>
#include <unordered_set>

namespace umbrix {
namespace {

// Against the standard set, with the numbers a filesystem hands out: runs of
// neighbours, a few far apart, zero, repeats, and a table that grows many
// times over.
TEST(InodeSet, AnswersAsASetDoesWhileItGrows)
{
    std::mt19937_64 random(11);
    InodeSet set;
    std::unordered_set<uint64_t> reference;
    const auto ask = [&](uint64_t inode) {
        ASSERT_EQ(set.contains(inode), reference.contains(inode)) << "inode " << inode;
    };
    for (int i = 0; i < 20000; ++i) {
        const uint64_t inode = i % 7 == 0 ? random() : i % 5 == 0 ? random() % 64 : 1000 + 3 * i;
        ask(inode);
        ask(inode + 1);
        set.insert(inode);
        reference.insert(inode);
        ask(inode);
    }
    ask(0);
    set.insert(0);
    reference.insert(0);
    ask(0);
    for (int i = 0; i < 20000; ++i)
        ask(random() % 100000);

    set.clear();
    EXPECT_FALSE(set.contains(0));
    EXPECT_FALSE(set.contains(1003));
}

} // namespace
} // namespace umbrix
