#include "settings/InstalledFlag.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"
#include "settings/StoreSandbox.h"

#include <QDir>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace umbrix {
namespace {

using test::readWholeFile;
using test::StoreSandbox;

const QString kApp = QStringLiteral("Umbrix");
const QString kComponent = QStringLiteral("SCRRUN.DLL");
const std::string kInstalledKey = "Software\\VB and VBA Program Settings\\Umbrix\\Installed";
// How the INI file names a value of that key, below its "[Software]" group.
const std::string kIniInstalled = "VB%20and%20VBA%20Program%20Settings\\Umbrix\\Installed\\";

QString leftSetting()
{
    return GetSetting(kApp, SettingName::Section, SettingName::LogLeft, QStringLiteral("0"));
}

TEST(SettingsStoreTest, TextRoundTripsThroughTheUserFileAlone)
{
    StoreSandbox box;
    EXPECT_EQ(leftSetting(), QStringLiteral("0"));
    EXPECT_FALSE(readLogErrorsSetting());
    EXPECT_FALSE(test::exists(box.dir() / "user"));
    // Unquoted commas make a list to the INI parser; the user meant text.
    box.writeIni("user", "[Setting]\nLogError=yes\nLogLeft=12, 5\n");
    EXPECT_TRUE(readLogErrorsSetting());
    EXPECT_EQ(leftSetting(), QStringLiteral("12, 5"));

    SaveSetting(kApp, SettingName::Section, SettingName::LogLeft, QStringLiteral("a, b; @c"));
    saveLogErrorsSetting(false);
    EXPECT_FALSE(readLogErrorsSetting());
    EXPECT_EQ(leftSetting(), QStringLiteral("a, b; @c"));
    EXPECT_NE(readWholeFile(box.userIni()).find("[Setting]\nLogError=False\n"), std::string::npos)
        << readWholeFile(box.userIni());
    EXPECT_FALSE(test::exists(box.dir() / "system"));
    // The new text went in by a rename: nothing else is left beside it.
    EXPECT_EQ(QDir(QString::fromStdString(box.dir() / "user/Umbrix"))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("Umbrix.ini")});
}

// A settings file that is no regular file is neither read nor written
// through, and never waited on; the user hears of it once.
TEST(SettingsStoreTest, ANonRegularFileIsLeftAloneWithOneMessage)
{
    for (const std::string kind : {"link", "fifo", "folder"}) {
        SCOPED_TRACE(kind);
        StoreSandbox box;
        QStringList told;
        const SettingsComplaint previous =
            installSettingsComplaint([&](const QString& message) { told << message; });
        const std::string victim = box.dir() / "victim";
        test::makeFile(victim, "[Setting]\nLogLeft=7\n");
        box.writeIni("user", "");
        ASSERT_EQ(::unlink(box.userIni().c_str()), 0);
        if (kind == "link")
            ASSERT_EQ(::symlink(victim.c_str(), box.userIni().c_str()), 0);
        else if (kind == "fifo")
            ASSERT_EQ(::mkfifo(box.userIni().c_str(), 0600), 0);
        else
            test::makeDir(box.userIni());
        const mode_t type = test::modeOf(box.userIni()) & S_IFMT;

        EXPECT_EQ(leftSetting(), QStringLiteral("0"));
        saveLogErrorsSetting(true);
        EXPECT_FALSE(readLogErrorsSetting());
        installSettingsComplaint(previous);
        EXPECT_EQ(test::modeOf(box.userIni()) & S_IFMT, type);
        EXPECT_EQ(readWholeFile(victim), "[Setting]\nLogLeft=7\n");
        ASSERT_EQ(told.size(), 1) << told.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(told[0].contains(QString::fromStdString(box.userIni())))
            << told[0].toStdString();
    }
}

TEST(RegistryStoreTest, HandWrittenValuesReadAsTheirTypeAndTheFlagThroughCBoolean)
{
    StoreSandbox box;
    ::setenv("UMBRIX_TEST_ROOT", "/srv/umbrix", 1);
    const QVariant fallback(QStringLiteral("fallback"));
    const struct {
        std::string stored;
        QVariant value;
        int32_t type;
        bool installed;
    } cases[] = {{"1", QStringLiteral("1"), RegType::REG_SZ, true},
                 {"yes", QStringLiteral("yes"), RegType::REG_SZ, true},
                 {"0", QStringLiteral("0"), RegType::REG_SZ, false},
                 {"", fallback, RegType::REG_SZ, false},
                 {"a, b", QStringLiteral("a, b"), RegType::REG_SZ, false},
                 {"dword, 1", QVariant(1u), RegType::REG_DWORD, true},
                 {"dword, 0x2A", QVariant(42u), RegType::REG_DWORD, true},
                 {"dword, many", QVariant(), RegType::REG_DWORD, false},
                 {"expand, %UMBRIX_TEST_ROOT%/data", QStringLiteral("/srv/umbrix/data"),
                  RegType::REG_EXPAND_SZ, false}};
    std::string ini = "[Software]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        ini += kIniInstalled + "v" + std::to_string(i) + "=" + cases[i].stored + "\n";
    box.writeIni("system", ini);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const QString name = QStringLiteral("v") + QString::number(i);
        int32_t type = RegType::REG_NONE;
        EXPECT_EQ(GetRegValue(RegRoot::LocalMachine, kProgramSettingsKey + kApp,
                              QStringLiteral("Installed"), name, type, fallback),
                  cases[i].value)
            << cases[i].stored;
        EXPECT_EQ(type, cases[i].type) << cases[i].stored;
        EXPECT_EQ(IsInstalled(kApp, name), cases[i].installed) << cases[i].stored;
    }
    ::unsetenv("UMBRIX_TEST_ROOT");
    // A number written through the store comes back as one; no line is logged.
    int32_t type = RegType::REG_NONE;
    const QString key = kProgramSettingsKey + kApp;
    EXPECT_TRUE(SaveRegValue(RegRoot::LocalMachine, key, QString(), QStringLiteral("n"),
                             RegType::REG_DWORD, 7));
    EXPECT_EQ(GetRegValue(RegRoot::LocalMachine, key, QString(), QStringLiteral("n"), type, {}),
              QVariant(7u));
    EXPECT_EQ(type, RegType::REG_DWORD);
    EXPECT_FALSE(IsInstalled(kApp, QStringLiteral("missing")));
    EXPECT_FALSE(test::exists(box.logFile()));
}

// A store that opens but cannot take the write: a filesystem without room
// for the new copy of the file (its root, the folder and the file use all
// three inodes).
TEST(RegistryStoreTest, FailedWriteNamesTheValue)
{
    StoreSandbox box;
    const std::string volume = box.dir() / "system";
    test::makeDir(volume);
    if (::mount("tmpfs", volume.c_str(), "tmpfs", 0, "nr_inodes=3") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    struct Unmount {
        const std::string& folder;
        ~Unmount() { ::umount2(folder.c_str(), MNT_DETACH); }
    } unmount{volume};
    test::makeDir(volume + "/Umbrix");
    test::makeFile(box.systemIni());
    EXPECT_FALSE(
        SaveAppRegValue(kApp, QStringLiteral("Installed"), kComponent, QStringLiteral("1")));
    // The error log file holds exactly one complete line naming the value.
    const std::string text = readWholeFile(box.logFile());
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_TRUE(text.starts_with("Umbrix\t")) << text;
    EXPECT_TRUE(text.ends_with("\t(Call SaveRegValue)\t[ Trying to save the Registry value ''" +
                               kInstalledKey +
                               "\\SCRRUN.DLL'' failure.; Err=" + std::to_string(EIO) + " ]\r\n"))
        << text;
    EXPECT_FALSE(IsInstalled(kApp, kComponent));
}

} // namespace
} // namespace umbrix
