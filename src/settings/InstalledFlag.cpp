#include "settings/InstalledFlag.h"

#include "platform/CBoolean.h"
#include "settings/RegistryStore.h"

namespace umbrix {
namespace {
const QString kInstalledSection = QStringLiteral("Installed");
}

bool IsInstalled(const QString& appName, const QString& component)
{
    return CBoolean(GetAppRegValue(appName, kInstalledSection, component, QString()).toStdString());
}

void SetInstalled(const QString& appName, const QString& component)
{
    SaveAppRegValue(appName, kInstalledSection, component, QStringLiteral("1"));
}

} // namespace umbrix
