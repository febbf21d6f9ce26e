#pragma once

#include <string>

// The texts of the copy and delete failures.  Each throws umbrix::Error with
// the number the handlers dispatch on.  `path` names the failing entry in the
// description; an empty one leaves the naming to the caller's own message,
// which already holds the path it passed.
namespace umbrix::fileops {

[[noreturn]] void fail(int err, const std::string& path);
[[noreturn]] void failReadOnly(const std::string& path);
[[noreturn]] void failMountPoint(const std::string& path);
[[noreturn]] void failSameFile(const std::string& path);
[[noreturn]] void failIntoItself(const std::string& source, const std::string& target);

} // namespace umbrix::fileops
