#include "settings/SettingsStore.h"

#include "platform/AppTitle.h"
#include "settings/CBoolean.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace umbrix {
namespace {

QString groupKey(const QString& section, const QString& key)
{
    return section.isEmpty() ? key : section + QLatin1Char('/') + key;
}

} // namespace

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, appName, appName);
    // A machine-wide file of the same name is not this user's setting.
    store.setFallbacksEnabled(false);
    const QVariant value = store.value(groupKey(section, key));
    if (!value.isValid())
        return defaultValue;
    // An unquoted comma makes the INI parser return a list; the user wrote text.
    if (value.metaType().id() == QMetaType::QStringList ||
        value.metaType().id() == QMetaType::QVariantList)
        return value.toStringList().join(QLatin1String(", "));
    return value.toString();
}

void SaveSetting(const QString& appName, const QString& section, const QString& key,
                 const QString& value)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, appName, appName);
    store.setFallbacksEnabled(false);
    store.setValue(groupKey(section, key), value);
    store.sync();
}

bool readLogErrorsSetting()
{
    const QString title = QString::fromUtf8(AppTitle.data(), AppTitle.size());
    return CBoolean(
        GetSetting(title, SettingName::Section, SettingName::LogError, QStringLiteral("False"))
            .toStdString());
}

void saveLogErrorsSetting(bool logErrors)
{
    SaveSetting(QString::fromUtf8(AppTitle.data(), AppTitle.size()), SettingName::Section,
                SettingName::LogError,
                logErrors ? QStringLiteral("True") : QStringLiteral("False"));
}

} // namespace umbrix
