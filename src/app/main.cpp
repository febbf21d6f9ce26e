#include "app/Startup.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Umbrix"));
    QApplication::setOrganizationName(QStringLiteral("Umbrix"));
    return umbrix::runUmbrix(argc, argv);
}
