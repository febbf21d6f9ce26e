#include "support/TempDir.h"

#include "platform/AttributeStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace umbrix::test {

TempDir::TempDir()
{
    const char* base = std::getenv("UMBRIX_TEST_TMP");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/umbrix-XXXXXX";
    if (!mkdtemp(pattern.data()))
        ADD_FAILURE() << "mkdtemp failed: " << std::strerror(errno);
    path_ = pattern;
}

TempDir::~TempDir()
{
    // Depth first, never following links; entries a test made read-only or
    // immutable are the test's own business to undo.
    nftw(
        path_.c_str(),
        [](const char* p, const struct stat*, int, struct FTW*) {
            ::remove(p);
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

void makeFile(const std::string& path, const std::string& content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path << ": " << std::strerror(errno);
    if (!content.empty()) {
        ASSERT_EQ(::write(fd, content.data(), content.size()),
                  static_cast<ssize_t>(content.size()));
    }
    ::close(fd);
}

void makeDir(const std::string& path)
{
    ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path << ": " << std::strerror(errno);
}

void setDosAttrib(const std::string& path, uint32_t attributes)
{
    char text[16];
    const int n = std::snprintf(text, sizeof text, "0x%x", attributes);
    ASSERT_EQ(::lsetxattr(path.c_str(), "user.DOSATTRIB", text, static_cast<size_t>(n) + 1, 0), 0)
        << path << ": " << std::strerror(errno);
}

std::string rawDosAttrib(const std::string& path)
{
    char buffer[512];
    const ssize_t n = ::lgetxattr(path.c_str(), "user.DOSATTRIB", buffer, sizeof buffer);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

bool exists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string patched(std::string value, size_t offset, const std::string& replacement)
{
    value.replace(offset, replacement.size(), replacement);
    return value;
}

mode_t modeOf(const std::string& path)
{
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode;
}

void makeTree(const std::string& root, std::initializer_list<std::string> entries)
{
    for (const std::string& entry : entries) {
        const std::string path = root + "/" + entry;
        if (const size_t arrow = entry.find(" -> "); arrow != std::string::npos) {
            const std::string link = root + "/" + entry.substr(0, arrow);
            ASSERT_EQ(::symlink(entry.c_str() + arrow + 4, link.c_str()), 0) << link;
        } else if (entry.back() == '/') {
            makeDir(path);
        } else if (const size_t eq = entry.find('='); eq != std::string::npos) {
            makeFile(root + "/" + entry.substr(0, eq), entry.substr(eq + 1));
        } else {
            makeFile(path);
        }
    }
}

uint32_t storedWord(const std::string& path)
{
    uint32_t word = 0;
    EXPECT_EQ(platform::queryAttributes(path, word), 0) << path;
    return word;
}

std::string linkTarget(const std::string& path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? std::string("<not a link>") : std::string(buffer, static_cast<size_t>(n));
}

ScopedMount::ScopedMount(const std::string& source, const std::string& target, const char* type,
                         unsigned long flags, const char* options)
    : target_(target), mounted_(::mount(source.c_str(), target.c_str(), type, flags, options) == 0)
{
    if (!mounted_)
        reason_ = "cannot mount here: " + std::string(std::strerror(errno));
}

ScopedMount::~ScopedMount()
{
    if (mounted_)
        ::umount2(target_.c_str(), MNT_DETACH);
}

bool ScopedMount::remount(unsigned long flags)
{
    return ::mount(nullptr, target_.c_str(), nullptr, MS_REMOUNT | flags, nullptr) == 0;
}

void checkWordStore(const std::string& root, bool folderReadOnly)
{
    namespace Attr = platform::Attr;
    // ksmbd makes every new file sparse.
    constexpr uint32_t Sparse = 0x200;
    const std::string file = root + "/FILE.TXT";
    const std::string dir = root + "/DIR";
    makeFile(file, "content");
    makeDir(dir);
    EXPECT_EQ((storedWord(file) & ~Sparse), Attr::Archive);
    EXPECT_EQ((storedWord(dir) & ~Sparse) & Attr::Directory, Attr::Directory);

    const uint32_t bits[] = {Attr::ReadOnly, Attr::Hidden, Attr::System, Attr::Archive};
    for (unsigned combination = 0; combination < 16; ++combination) {
        uint32_t word = 0;
        for (unsigned i = 0; i < 4; ++i)
            word |= (combination >> i & 1) ? bits[i] : 0;
        SCOPED_TRACE(testing::Message() << "word 0x" << std::hex << word);
        ASSERT_EQ(platform::storeAttributes(file, word), 0);
        EXPECT_EQ((storedWord(file) & ~Sparse), word);
        ASSERT_EQ(platform::storeAttributes(dir, word), 0);
        EXPECT_EQ((storedWord(dir) & ~Sparse),
                  Attr::Directory | (folderReadOnly ? word : word & ~Attr::ReadOnly));
    }
    ASSERT_EQ(platform::storeAttributes(file, Attr::ReadOnly), 0);
    ASSERT_EQ(platform::storeAttributes(dir, 0), 0);
}

} // namespace umbrix::test
