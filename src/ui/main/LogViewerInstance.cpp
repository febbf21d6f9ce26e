#include "ui/main/LogViewerInstance.h"

#include "ui/main/LogViewer.h"

#include <QCoreApplication>
#include <QPointer>

namespace umbrix {
namespace {

// Not owning in the C++ sense: the viewer is deleted by unloadLogViewer,
// which must run while the application object still exists.
QPointer<LogViewer>& instance()
{
    static QPointer<LogViewer> viewer;
    return viewer;
}

} // namespace

LogViewer& loadLogViewer(QWidget* mainWindow)
{
    QPointer<LogViewer>& viewer = instance();
    if (!viewer) {
        viewer = new LogViewer(mainWindow);
        if (QCoreApplication* application = QCoreApplication::instance())
            QObject::connect(application, &QCoreApplication::aboutToQuit, viewer, &unloadLogViewer);
    } else if (mainWindow) {
        viewer->setMainWindow(mainWindow);
    }
    return *viewer;
}

LogViewer* logViewer()
{
    return instance().data();
}

void unloadLogViewer()
{
    QPointer<LogViewer>& viewer = instance();
    delete viewer.data();
    viewer.clear();
}

void logToViewer(const std::string& logText, bool forceView)
{
    loadLogViewer().Log(QString::fromStdString(logText), forceView);
}

void hideLogViewer()
{
    if (LogViewer* viewer = logViewer())
        viewer->hide();
}

} // namespace umbrix
