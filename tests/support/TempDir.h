#pragma once

#include "platform/Error.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <sys/types.h>

namespace umbrix::test {

// A fresh folder for one test, removed with everything in it at the end.
// It lies below $UMBRIX_TEST_TMP (set by the build) or the system's
// temporary folder.  path() ends without "/".
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Small helpers for building trees; each fails the test on error.
void makeFile(const std::string& path, const std::string& content = {});
void makeDir(const std::string& path);
// Stores `attributes` (hidden, system...) in the entry's user.DOSATTRIB as Samba's text form.
void setDosAttrib(const std::string& path, uint32_t attributes);
// Raw user.DOSATTRIB value, empty when none is stored.
std::string rawDosAttrib(const std::string& path);
bool exists(const std::string& path);
// `value` with `replacement` written over it at `offset`.
std::string patched(std::string value, size_t offset, const std::string& replacement);
// lstat's st_mode, 0 when the entry cannot be reached.
mode_t modeOf(const std::string& path);
// Makes the entries below `root` in the order given: "name/" is a folder,
// "name -> target" a symbolic link, "name=content" or "name" a file.
void makeTree(const std::string& root, std::initializer_list<std::string> entries);
// The entry's attribute word as the program reads it; a failed read fails the test.
uint32_t storedWord(const std::string& path);
// What every volume that keeps a DOS attribute word does: each combination
// of the four bits it holds is stored in FILE.TXT and DIR below `root` and
// read back; exFAT keeps no read-only bit on a folder (`folderReadOnly`).
void checkWordStore(const std::string& root, bool folderReadOnly = true);
// Where the link at `path` points, "<not a link>" for anything else.
std::string linkTarget(const std::string& path);

// A mount made by the test and undone at its end, before the temporary
// folder goes.  Only root may mount: a test skips where mounted() is false.
class ScopedMount {
public:
    ScopedMount(const std::string& source, const std::string& target, const char* type,
                unsigned long flags, const char* options = nullptr);
    ~ScopedMount();
    ScopedMount(const ScopedMount&) = delete;
    ScopedMount& operator=(const ScopedMount&) = delete;

    bool mounted() const { return mounted_; }
    // Why the mount was refused.
    const std::string& reason() const { return reason_; }
    // Remounts with `flags` added (MS_RDONLY...); false when refused.
    bool remount(unsigned long flags);

private:
    std::string target_;
    std::string reason_;
    bool mounted_ = false;
};

// The Error that `call` raises; no raise fails the test.
template <typename Call> Error errorOf(Call call)
{
    try {
        call();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return {};
}

} // namespace umbrix::test
