#pragma once

#include <cstdint>
#include <string>

namespace umbrix {

// What a component's self-registration answers: 0, or one of these two.
inline constexpr int32_t SELFREG_E_TYPELIB = static_cast<int32_t>(0x80040200u);
inline constexpr int32_t SELFREG_E_CLASS = static_cast<int32_t>(0x80040201u);

// FileSystemObject has nothing to register on Linux; what an administrator's
// start wants to know is whether it works here.  This answers that in a
// scratch folder of its own, made below `scratchParent` ($TMPDIR or /tmp when
// empty) and removed afterwards:
//   SELFREG_E_TYPELIB  the object does not see what a folder holds;
//   SELFREG_E_CLASS    it cannot copy or delete;
//   0                  both work.
// Throws Error when the scratch folder or its probe cannot be made.
int32_t DllRegisterServer(const std::string& scratchParent = {});

// The check itself, in `scratch`, an existing empty folder that the caller
// owns and removes.
int32_t CheckFileSystemObject(const std::string& scratch);

} // namespace umbrix
