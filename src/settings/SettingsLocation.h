#pragma once

#include <QSettings>
#include <QString>

namespace umbrix {

// The folder that holds the INI files of `scope`, one subfolder a program.
QString settingsFolder(QSettings::Scope scope);

// Points the per-user and the machine-wide settings stores at other folders
// for the guard's lifetime and puts the previous folders back afterwards.
// Every test that reaches a settings store holds one, so no test ever reads
// or writes the user's or the machine's real settings.  The stores open a
// fresh QSettings for every access, so the new folders apply at once.
class ScopedSettingsLocation {
public:
    ScopedSettingsLocation(const QString& userFolder, const QString& systemFolder);
    ~ScopedSettingsLocation();
    ScopedSettingsLocation(const ScopedSettingsLocation&) = delete;
    ScopedSettingsLocation& operator=(const ScopedSettingsLocation&) = delete;

private:
    QString previousUser_;
    QString previousSystem_;
};

} // namespace umbrix
