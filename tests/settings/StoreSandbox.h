#pragma once

#include "log/LogError.h"
#include "settings/SettingsLocation.h"
#include "support/TempDir.h"

#include <QString>
#include <fstream>
#include <iterator>
#include <string>

namespace umbrix::test {

// The per-user store, the machine-wide store and the error log file of one
// test, all inside its own temporary folder.  The log folder does not exist
// yet: the first logged line makes it.
class StoreSandbox {
public:
    StoreSandbox()
        : settings_(QString::fromStdString(dir_ / "user"), QString::fromStdString(dir_ / "system")),
          logFolder_(dir_ / "log")
    {}

    const TempDir& dir() const { return dir_; }
    std::string userIni() const { return dir_ / "user/Umbrix/Umbrix.ini"; }
    std::string systemIni() const { return dir_ / "system/Umbrix/Umbrix.ini"; }
    std::string logFile() const { return logFilePath(); }

    // The "user" or "system" store file as someone writes it by hand; once
    // per store and sandbox.
    void writeIni(const std::string& scope, const std::string& text) const
    {
        makeDir(dir_ / scope);
        makeDir(dir_ / (scope + "/Umbrix"));
        makeFile(dir_ / (scope + "/Umbrix/Umbrix.ini"), text);
    }

private:
    TempDir dir_;
    ScopedSettingsLocation settings_;
    ScopedLogFolder logFolder_;
};

inline std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace umbrix::test
