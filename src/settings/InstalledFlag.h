#pragma once

#include <QString>

namespace umbrix {

// The machine-wide note that a component has been set up for `appName`:
// value `component` of the key kProgramSettingsKey + appName + "\Installed".

// True when the stored value reads as True through CBoolean ("1" as
// SetInstalled writes it); a missing store, key or value is False.
bool IsInstalled(const QString& appName, const QString& component);

// Stores "1".  Only root can; anyone else leaves a line in the error log file
// and the flag unset, which the caller does not need to know.
void SetInstalled(const QString& appName, const QString& component);

} // namespace umbrix
