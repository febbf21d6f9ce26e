#include "settings/SettingsLocation.h"

#include <QSettings>

namespace umbrix {

// QSettings offers no getter for its folders; the file name of a probe (which
// creates nothing on disk) tells them: "<folder>/<organisation>/<app>.ini".
QString settingsFolder(QSettings::Scope scope)
{
    const QString probe =
        QSettings(QSettings::IniFormat, scope, QStringLiteral("probe"), QStringLiteral("probe"))
            .fileName();
    return probe.left(probe.size() - static_cast<qsizetype>(sizeof("/probe/probe.ini") - 1));
}

ScopedSettingsLocation::ScopedSettingsLocation(const QString& userFolder,
                                               const QString& systemFolder)
    : previousUser_(settingsFolder(QSettings::UserScope)),
      previousSystem_(settingsFolder(QSettings::SystemScope))
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, userFolder);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, systemFolder);
}

ScopedSettingsLocation::~ScopedSettingsLocation()
{
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, previousUser_);
    QSettings::setPath(QSettings::IniFormat, QSettings::SystemScope, previousSystem_);
}

} // namespace umbrix
