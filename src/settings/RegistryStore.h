#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>

namespace umbrix {

// The machine-wide store: one INI file in the system configuration folder
// ("Umbrix/Umbrix.ini" below /etc/xdg), readable by everyone and writable
// only by root, addressed like the registry it stands for.  A key path such
// as "Software\VB and VBA Program Settings\Umbrix\Installed" becomes the
// nested group of that path, and a value name the key inside it.
//
// Value types as they lie in the file:
//   REG_SZ         plain text:            SCRRUN.DLL=1
//   REG_DWORD      "dword" and a number:  Count=dword, 42       (decimal or 0x hex)
//   REG_EXPAND_SZ  "expand" and a text:   Folder=expand, %HOME%/data
// A number stored by Qt in its own typed form (@Variant) reads as REG_DWORD
// too.  Anything else reads as REG_BINARY, given back as Qt read it.
namespace RegType {
inline constexpr int32_t REG_NONE = 0;
inline constexpr int32_t REG_SZ = 1;
inline constexpr int32_t REG_EXPAND_SZ = 2;
inline constexpr int32_t REG_BINARY = 3;
inline constexpr int32_t REG_DWORD = 4;
} // namespace RegType

// The root of a key path.  Only the machine-wide root exists here; None
// stands for a missing root handle.
enum class RegRoot { None = 0, LocalMachine = 1 };

// "Software\VB and VBA Program Settings\": where the program's machine-wide
// values live, followed by the application name.
extern const QString kProgramSettingsKey;

// Reads `valueName` of the key SubKey + "\" + Section (SubKey alone when
// Section is empty).  A missing store, key or value gives `defaultValue`, and
// so does an empty string.  A value that is there but cannot be read (a
// malformed number) gives an empty QVariant.  The value is returned as its
// stored type says (text, number, expanded text) and that type is handed back
// through `type`.  Nothing is ever written.
QVariant GetRegValue(RegRoot root, const QString& subKey, const QString& section,
                     const QString& valueName, int32_t& type, const QVariant& defaultValue);

// Stores `value` as `type` (REG_SZ, REG_EXPAND_SZ or REG_DWORD) under
// `valueName`.  A store that cannot be created or written appends one line
// to the error log file (LogError, "Call SaveRegValue", errno-like code) and
// gives False; an empty SubKey or no root gives False without a line.
bool SaveRegValue(RegRoot root, const QString& subKey, const QString& section,
                  const QString& valueName, int32_t type, const QVariant& value);

// The application's own values below kProgramSettingsKey + appName.
QString GetAppRegValue(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue);
bool SaveAppRegValue(const QString& appName, const QString& section, const QString& key,
                     const QString& value);

} // namespace umbrix
