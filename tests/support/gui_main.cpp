#include <QApplication>
#include <gtest/gtest.h>

// Widget tests share one QApplication; the offscreen platform is set by the
// test registration, and forced here for runs started by hand.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
