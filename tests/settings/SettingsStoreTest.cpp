#include "settings/SettingsStore.h"

#include "settings/StoreSandbox.h"

#include <QSettings>
#include <gtest/gtest.h>

namespace umbrix {
namespace {

using test::readWholeFile;
using test::StoreSandbox;

const QString kApp = QStringLiteral("Umbrix");

QString leftSetting() {
    return GetSetting(kApp, SettingName::Section, SettingName::LogLeft, QStringLiteral("0"));
}

TEST(SettingsStoreTest, TextRoundTripsThroughTheUserFileAlone) {
    StoreSandbox box;
    EXPECT_EQ(leftSetting(), QStringLiteral("0"));
    EXPECT_FALSE(readLogErrorsSetting());
    EXPECT_FALSE(test::exists(box.dir() / "user"));

    SaveSetting(kApp, SettingName::Section, SettingName::LogLeft, QStringLiteral("a, b; @c"));
    saveLogErrorsSetting(true);
    EXPECT_TRUE(readLogErrorsSetting());
    EXPECT_EQ(leftSetting(), QStringLiteral("a, b; @c"));
    EXPECT_NE(readWholeFile(box.userIni()).find("[Setting]\nLogError=True\n"), std::string::npos)
        << readWholeFile(box.userIni());
    EXPECT_FALSE(test::exists(box.dir() / "system"));
    saveLogErrorsSetting(false);
    EXPECT_FALSE(readLogErrorsSetting());
}

TEST(SettingsStoreTest, HandWrittenOrBrokenFilesGiveTheirTextOrTheDefaults) {
    const struct {
        std::string ini;
        bool logErrors;
        QString left;
    } cases[] = {
        // Unquoted commas make a list to the INI parser; the user meant text.
        {"[Setting]\nLogError=yes\nLogLeft=12, 5\n", true, QStringLiteral("12, 5")},
        {"[Setting]\nLogError=\nLogLeft=\n", false, QString()},
        {"\x01\x02[[[\n\xFF\xFE=\n=x\nLogError True\n", false, QStringLiteral("0")}};
    for (const auto& c : cases) {
        StoreSandbox box;
        box.writeIni("user", c.ini);
        EXPECT_EQ(readLogErrorsSetting(), c.logErrors) << c.ini;
        EXPECT_EQ(leftSetting(), c.left) << c.ini;
    }
    // A folder where the file should be: a value saved there is lost quietly.
    StoreSandbox box;
    test::makeDir(box.dir() / "user");
    test::makeDir(box.dir() / "user/Umbrix");
    test::makeDir(box.userIni());
    saveLogErrorsSetting(true);
    EXPECT_FALSE(readLogErrorsSetting());
}

TEST(SettingsStoreTest, SandboxesNestAndPutTheRealFoldersBack) {
    const auto files = [] {
        return std::pair(
            QSettings(QSettings::IniFormat, QSettings::UserScope, kApp, kApp).fileName(),
            QSettings(QSettings::IniFormat, QSettings::SystemScope, kApp, kApp).fileName());
    };
    const auto filesOf = [](const StoreSandbox& box) {
        return std::pair(QString::fromStdString(box.userIni()),
                         QString::fromStdString(box.systemIni()));
    };
    const auto real = files();
    {
        StoreSandbox outer;
        {
            StoreSandbox inner;
            EXPECT_EQ(files(), filesOf(inner));
        }
        EXPECT_EQ(files(), filesOf(outer));
    }
    EXPECT_EQ(files(), real);
}

} // namespace
} // namespace umbrix
