#include "settings/SettingsStore.h"

#include "settings/SettingsLocation.h"
#include "settings/StoreSandbox.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

using test::readWholeFile;
using test::StoreSandbox;

const QString kApp = QStringLiteral("Umbrix");

TEST(SettingsStoreTest, MissingStoreGivesDefaultsAndCreatesNothing) {
    StoreSandbox box;
    EXPECT_EQ(GetSetting(kApp, SettingName::Section, SettingName::LogLeft, QStringLiteral("0")),
              QStringLiteral("0"));
    EXPECT_FALSE(readLogErrorsSetting());
    EXPECT_FALSE(test::exists(box.dir() / "user"));
}

TEST(SettingsStoreTest, TextRoundTripsThroughTheUserFile) {
    StoreSandbox box;
    SaveSetting(kApp, SettingName::Section, SettingName::LogLeft, QStringLiteral("1500"));
    SaveSetting(kApp, SettingName::Section, QStringLiteral("Note"), QStringLiteral("a, b; @c"));
    saveLogErrorsSetting(true);

    EXPECT_TRUE(readLogErrorsSetting());
    EXPECT_EQ(GetSetting(kApp, SettingName::Section, SettingName::LogLeft, QString()),
              QStringLiteral("1500"));
    EXPECT_EQ(GetSetting(kApp, SettingName::Section, QStringLiteral("Note"), QString()),
              QStringLiteral("a, b; @c"));

    const std::string ini = readWholeFile(box.userIni());
    EXPECT_NE(ini.find("[Setting]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("LogError=True"), std::string::npos) << ini;
    EXPECT_NE(ini.find("LogLeft=1500"), std::string::npos) << ini;

    saveLogErrorsSetting(false);
    EXPECT_FALSE(readLogErrorsSetting());
    EXPECT_NE(readWholeFile(box.userIni()).find("LogError=False"), std::string::npos);
}

TEST(SettingsStoreTest, HandWrittenValuesReadAsTheirText) {
    StoreSandbox box;
    test::makeDir(box.dir() / "user");
    test::makeDir(box.dir() / "user/Umbrix");
    test::makeFile(box.userIni(), "[Setting]\nLogError=yes\nLogLeft=12, 5\nLogTop=\n");
    EXPECT_TRUE(readLogErrorsSetting());
    // The INI parser makes a list of unquoted commas; the user meant text.
    EXPECT_EQ(GetSetting(kApp, SettingName::Section, SettingName::LogLeft, QStringLiteral("0")),
              QStringLiteral("12, 5"));
    EXPECT_EQ(GetSetting(kApp, SettingName::Section, SettingName::LogTop, QStringLiteral("0")),
              QString());
}

TEST(SettingsStoreTest, GarbageOrUnreadableStoreGivesDefaults) {
    StoreSandbox box;
    test::makeDir(box.dir() / "user");
    test::makeDir(box.dir() / "user/Umbrix");
    test::makeFile(box.userIni(), "\x01\x02[[[\n\xFF\xFE=\n=x\nLogError True\n");
    EXPECT_FALSE(readLogErrorsSetting());
    EXPECT_EQ(GetSetting(kApp, SettingName::Section, SettingName::LogTop, QStringLiteral("0")),
              QStringLiteral("0"));

    // A folder where the file should be cannot be read at all.
    StoreSandbox other;
    test::makeDir(other.dir() / "user");
    test::makeDir(other.dir() / "user/Umbrix");
    test::makeDir(other.userIni());
    EXPECT_FALSE(readLogErrorsSetting());
    SaveSetting(kApp, SettingName::Section, SettingName::LogError, QStringLiteral("True"));
    EXPECT_FALSE(readLogErrorsSetting());
}

TEST(SettingsStoreTest, LocationGuardsNestAndRestore) {
    const auto userFile = [] {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, kApp, kApp).fileName();
    };
    const auto systemFile = [] {
        return QSettings(QSettings::IniFormat, QSettings::SystemScope, kApp, kApp).fileName();
    };
    const QString realUser = userFile();
    const QString realSystem = systemFile();
    {
        test::TempDir outer;
        ScopedSettingsLocation a(QString::fromStdString(outer / "u"),
                                 QString::fromStdString(outer / "s"));
        {
            test::TempDir inner;
            ScopedSettingsLocation b(QString::fromStdString(inner / "u"),
                                     QString::fromStdString(inner / "s"));
            EXPECT_EQ(userFile(), QString::fromStdString(inner / "u/Umbrix/Umbrix.ini"));
            EXPECT_EQ(systemFile(), QString::fromStdString(inner / "s/Umbrix/Umbrix.ini"));
        }
        EXPECT_EQ(userFile(), QString::fromStdString(outer / "u/Umbrix/Umbrix.ini"));
        EXPECT_EQ(systemFile(), QString::fromStdString(outer / "s/Umbrix/Umbrix.ini"));
    }
    EXPECT_EQ(userFile(), realUser);
    EXPECT_EQ(systemFile(), realSystem);
}

} // namespace
} // namespace umbrix
