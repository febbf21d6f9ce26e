#include "settings/RegistryStore.h"

#include "log/LogError.h"
#include "platform/EnvironmentText.h"

#include <QFile>
#include <QSettings>
#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {

const QString kProgramSettingsKey = QStringLiteral("Software\\VB and VBA Program Settings\\");

namespace {

const QString kDWordTag = QStringLiteral("dword");
const QString kExpandTag = QStringLiteral("expand");
const QString kProcName = QStringLiteral("Call SaveRegValue");

QString keyPathOf(const QString& subKey, const QString& section)
{
    return section.isEmpty() ? subKey : subKey + QLatin1Char('\\') + section;
}

// QSettings nests groups with "/"; the registry's separator is "\".
QString settingsKeyOf(const QString& keyPath, const QString& valueName)
{
    QString key = keyPath;
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return key + QLatin1Char('/') + valueName;
}

// A fresh object per access: the store's folder may have been moved for a
// test, and QSettings takes its folder when it is constructed.
class MachineStore {
public:
    MachineStore()
        : settings_(QSettings::IniFormat, QSettings::SystemScope, QStringLiteral("Umbrix"),
                    QStringLiteral("Umbrix"))
    {
        settings_.setFallbacksEnabled(false);
    }
    QSettings& settings() { return settings_; }

private:
    QSettings settings_;
};

std::string folderOf(const std::string& file)
{
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

// mkdir -p that keeps the reason of a failure.
int makeFolderPath(const std::string& folder)
{
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        const std::string part = folder.substr(0, pos);
        if (part.empty())
            continue;
        if (::mkdir(part.c_str(), 0755) == 0)
            continue;
        const int err = errno;
        struct stat st;
        if (err != EEXIST)
            return err;
        if (::stat(part.c_str(), &st) != 0)
            return errno;
        if (!S_ISDIR(st.st_mode))
            return ENOTDIR;
    }
    return 0;
}

// The counterpart of opening or creating the key for writing: the store's
// folder is there (made if needed) and the file, or the folder where the file
// is still missing, accepts writing.  Root passes the permission checks, so
// what remains for root (read-only media, a path through a file) is found
// here too.  0 or the errno.
int openStoreForWriting(const QString& fileName)
{
    const std::string file = QFile::encodeName(fileName).toStdString();
    if (const int err = makeFolderPath(folderOf(file)))
        return err;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return 0;
    }
    if (errno != ENOENT)
        return errno;
    return ::access(folderOf(file).c_str(), W_OK) == 0 ? 0 : errno;
}

bool isIntegerType(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

// A REG_DWORD as text: decimal (a negative one as its 32-bit pattern) or 0x
// hex.  Empty QVariant when it is no such number.
QVariant parseDWord(const QString& text)
{
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong number = 0;
    if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        number = t.mid(2).toLongLong(&ok, 16);
    else
        number = t.toLongLong(&ok, 10);
    if (!ok || number < -2147483648LL || number > 4294967295LL)
        return {};
    return QVariant(static_cast<quint32>(number));
}

QVariant nonEmptyOr(const QString& text, const QVariant& defaultValue)
{
    return text.isEmpty() ? defaultValue : QVariant(text);
}

} // namespace

QVariant GetRegValue(RegRoot root, const QString& subKey, const QString& section,
                     const QString& valueName, int32_t& type, const QVariant& defaultValue)
{
    if (subKey.isEmpty() || root == RegRoot::None)
        return {};
    MachineStore store;
    const QVariant stored =
        store.settings().value(settingsKeyOf(keyPathOf(subKey, section), valueName));
    if (!stored.isValid())
        return defaultValue;

    const int id = stored.metaType().id();
    if (id == QMetaType::QString) {
        type = RegType::REG_SZ;
        return nonEmptyOr(stored.toString(), defaultValue);
    }
    if (isIntegerType(stored)) {
        type = RegType::REG_DWORD;
        return parseDWord(stored.toString());
    }
    if (id == QMetaType::QStringList || id == QMetaType::QVariantList) {
        const QStringList parts = stored.toStringList();
        // The tag is followed by one item, unless the text itself held commas.
        const QString data = parts.mid(1).join(QLatin1String(", "));
        if (parts.size() >= 2 && parts.front() == kDWordTag) {
            type = RegType::REG_DWORD;
            return parseDWord(data);
        }
        if (parts.size() >= 2 && parts.front() == kExpandTag) {
            type = RegType::REG_EXPAND_SZ;
            const std::string expanded = expandEnvironmentText(data.toStdString());
            return nonEmptyOr(QString::fromStdString(expanded), defaultValue);
        }
        // Someone wrote text with unquoted commas by hand.
        type = RegType::REG_SZ;
        return nonEmptyOr(parts.join(QLatin1String(", ")), defaultValue);
    }
    type = RegType::REG_BINARY;
    return stored;
}

bool SaveRegValue(RegRoot root, const QString& subKey, const QString& section,
                  const QString& valueName, int32_t type, const QVariant& value)
{
    if (subKey.isEmpty() || root == RegRoot::None)
        return false;
    const QString keyPath = keyPathOf(subKey, section);
    MachineStore store;
    QSettings& settings = store.settings();

    int err = openStoreForWriting(settings.fileName());
    // A store that exists but could not be read would be written back with
    // only this value in it.
    if (err == 0 && settings.status() == QSettings::AccessError)
        err = EACCES;
    if (err != 0) {
        LogError(kProcName.toStdString(),
                 "Trying to create the Registry key ''" + keyPath.toStdString() + "'' failure.",
                 err, "");
        return false;
    }

    const QString saveFailure = QStringLiteral("Trying to save the Registry value ''") + keyPath +
                                QLatin1Char('\\') + valueName + QStringLiteral("'' failure.");
    QVariant data;
    switch (type) {
    case RegType::REG_SZ:
        data = value.toString();
        break;
    case RegType::REG_EXPAND_SZ:
        data = QStringList{kExpandTag, value.toString()};
        break;
    case RegType::REG_DWORD:
        data = QStringList{kDWordTag, QString::number(value.toUInt())};
        break;
    default:
        LogError(kProcName.toStdString(), saveFailure.toStdString(), EINVAL, "");
        return false;
    }

    // A file the INI parser found fault with is rewritten all the same, and
    // its status stays FormatError; only a failed write is a failure here.
    const QSettings::Status before = settings.status();
    settings.setValue(settingsKeyOf(keyPath, valueName), data);
    settings.sync();
    if (settings.status() != QSettings::NoError && settings.status() != before) {
        LogError(kProcName.toStdString(), saveFailure.toStdString(), EIO, "");
        return false;
    }
    return true;
}

QString GetAppRegValue(const QString& appName, const QString& section, const QString& key,
                       const QString& defaultValue)
{
    int32_t type = RegType::REG_SZ;
    return GetRegValue(RegRoot::LocalMachine, kProgramSettingsKey + appName, section, key, type,
                       defaultValue)
        .toString();
}

bool SaveAppRegValue(const QString& appName, const QString& section, const QString& key,
                     const QString& value)
{
    return SaveRegValue(RegRoot::LocalMachine, kProgramSettingsKey + appName, section, key,
                        RegType::REG_SZ, value);
}

} // namespace umbrix
