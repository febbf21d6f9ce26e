#include "settings/SettingsStore.h"

#include "platform/AppTitle.h"
#include "platform/CBoolean.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLocation.h"

#include <QSettings>
#include <QStringList>
#include <QTemporaryFile>
#include <QVariant>

namespace umbrix {
namespace {

QString groupKey(const QString& section, const QString& key)
{
    return section.isEmpty() ? key : section + QLatin1Char('/') + key;
}

QString userFile(const QString& appName)
{
    return settingsFolder(QSettings::UserScope) + QLatin1Char('/') + appName + QLatin1Char('/') +
           appName + QStringLiteral(".ini");
}

// The INI text of a settings file, parsed and written by QSettings in a
// private copy: QSettings itself would follow a link and wait on a FIFO.
class IniCopy {
public:
    explicit IniCopy(const QByteArray& bytes)
    {
        ok_ = copy_.open() && copy_.write(bytes) == bytes.size() && copy_.flush();
        copy_.close();
    }
    bool ok() const { return ok_; }
    QString fileName() const { return copy_.fileName(); }
    QByteArray bytes()
    {
        QFile file(copy_.fileName());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryFile copy_;
    bool ok_ = false;
};

} // namespace

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    const std::optional<QByteArray> text = readSettingsFile(userFile(appName));
    if (!text)
        return defaultValue;
    IniCopy copy(*text);
    if (!copy.ok())
        return defaultValue;
    const QVariant value =
        QSettings(copy.fileName(), QSettings::IniFormat).value(groupKey(section, key));
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
    const QString path = userFile(appName);
    const std::optional<QByteArray> text = readSettingsFile(path);
    if (!text)
        return;
    IniCopy copy(*text);
    if (!copy.ok())
        return;
    {
        QSettings store(copy.fileName(), QSettings::IniFormat);
        store.setValue(groupKey(section, key), value);
        store.sync();
        if (store.status() != QSettings::NoError)
            return;
    }
    writeSettingsFile(path, copy.bytes());
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
