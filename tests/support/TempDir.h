#pragma once

#include <cstdint>
#include <string>

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

} // namespace umbrix::test
