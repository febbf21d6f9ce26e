#include "app/Startup.h"
#include "app/Usage.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    // Answered before QApplication, which would end the program on a machine
    // without a display.
    switch (umbrix::infoRequestFromArguments(argc, argv)) {
    case umbrix::InfoRequest::Help:
        std::fputs(umbrix::usageText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case umbrix::InfoRequest::Version:
        std::fputs(umbrix::versionText().c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case umbrix::InfoRequest::UsageError:
        std::fputs(umbrix::usageText().c_str(), stderr);
        return 2;
    case umbrix::InfoRequest::None:
        break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Umbrix"));
    QApplication::setOrganizationName(QStringLiteral("Umbrix"));
    // Wayland shells match the window to its desktop entry, and so its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.umbrix.Umbrix"));
    return umbrix::runUmbrix(argc, argv);
}
