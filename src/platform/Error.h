#pragma once

#include <cstdint>
#include <string>

namespace umbrix {

// A failure raised to the caller's own handler, which dispatches on `number`.
struct Error {
    int32_t number = 0;
    std::string description;
};

// The numbers the program dispatches on.
namespace ErrorNumber {
inline constexpr int32_t InvalidArgument = 5;
inline constexpr int32_t OutOfMemory = 7;
inline constexpr int32_t BadFileName = 52;
inline constexpr int32_t FileNotFound = 53;
inline constexpr int32_t PermissionDenied = 70;
inline constexpr int32_t PathFileAccess = 75;
inline constexpr int32_t PathNotFound = 76;
inline constexpr int32_t InvalidPropertyValue = 380;
// 0x800403E8: a failed attribute query.
inline constexpr int32_t AttributeQuery = static_cast<int32_t>(0x800403E8u);
} // namespace ErrorNumber

// errno -> the number the handlers dispatch on.  Codes without a meaning of
// their own to the program keep a distinct number, 0x80070000 + errno.
int32_t errorNumberFromErrno(int err);

// The text of ESTALE: an entry whose path now leads elsewhere (a folder
// above it renamed, or swapped for a link; the entry itself replaced).
inline constexpr const char* ChangedSinceText = "Changed since it was found, left alone";

// Attribute writes that a volume's driver refused where its errno alone
// would tell a person nothing they can act on.  They travel where errnos
// travel, as codes above every errno, and read as EPERM or EOPNOTSUPP to
// code that dispatches on the errno (plainErrno).
namespace StoreRefusal {
// exFAT before Linux 6.7: the volume keeps attributes, but this kernel
// gives no way to read or write them.
inline constexpr int NoReachableAttributes = 0x10000;
// The driver asks for CAP_LINUX_IMMUTABLE to set or clear the system bit,
// or to change anything of an entry that has it (exFAT; FAT mounted with
// sys_immutable).  The code keeps the writable bits before and wanted, so
// that its text names the attributes and the command that does it as root.
int systemBitNeedsRoot(uint32_t before, uint32_t wanted);
} // namespace StoreRefusal

// The errno a StoreRefusal code stands for; any other code as it is.
int plainErrno(int code);

// The system's text for an errno value; "" for 0; ChangedSinceText for ESTALE;
// for a StoreRefusal code, which attribute could not be changed, why, and
// what to do.
std::string SystemMessageText(int32_t code);

// The standard description of a numbered error that has one ("Permission
// denied" for 70), "" otherwise.
std::string standardDescription(int32_t number);

// An Error built from errno with the system's text as its description.
Error errorFromErrno(int err);

[[noreturn]] void throwErrno(int err);

} // namespace umbrix
