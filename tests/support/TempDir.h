#pragma once

#include "platform/Error.h"

#include <gtest/gtest.h>

#include <cstdint>
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

// The Error that `call` raises; no raise fails the test.
template <typename Call>
Error errorOf(Call call)
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
