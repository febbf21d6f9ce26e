#include "settings/SettingsLocation.h"
#include "support/TempDir.h"

#include <QApplication>
#include <gtest/gtest.h>

// Widget tests share one QApplication; the offscreen platform is set by the
// test registration, and forced here for runs started by hand.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    // No test reaches the user's or the machine's settings, not even one
    // that holds no sandbox of its own.
    const umbrix::test::TempDir settings;
    const umbrix::ScopedSettingsLocation sandbox(QString::fromStdString(settings / "user"),
                                                 QString::fromStdString(settings / "system"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
