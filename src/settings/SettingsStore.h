#pragma once

#include <QString>

namespace umbrix {

// The per-user settings: an INI file per application (organisation and
// application both the application name) in the user's configuration folder,
// one group per section.  Values are read and written as text.  The file is
// reached as SettingsFile.h says: no link followed, no FIFO waited on, a new
// text renamed over the old.
namespace SettingName {
inline const QString Section = QStringLiteral("Setting");
inline const QString LogError = QStringLiteral("LogError");
inline const QString LogLeft = QStringLiteral("LogLeft");
inline const QString LogTop = QStringLiteral("LogTop");
} // namespace SettingName

// The stored text, or `defaultValue` when the key is missing or the store
// cannot be read.  A value that is not text to the INI parser (a
// comma-separated list) comes back as the text it was written as.
QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue);

// Stores `value`; a store that cannot be written loses it silently, as the
// program has nothing better to do with a lost window position.
void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value);

// The logging switch as start-up reads it: "LogError" of the application
// AppTitle, "False" when missing, through CBoolean.
bool readLogErrorsSetting();

// Stores the logging switch as "True" or "False".
void saveLogErrorsSetting(bool logErrors);

} // namespace umbrix
