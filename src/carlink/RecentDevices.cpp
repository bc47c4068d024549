#include "RecentDevices.h"

#include <QSettings>

namespace {

const char* const devicesKey = "ports/recentDevices";
const char* const company = "TralixGui";
const char* const program = "TralixGui";

} // namespace

QStringList recentDevices()
{
    const QSettings settings(QString::fromLatin1(company), QString::fromLatin1(program));
    return settings.value(QLatin1String(devicesKey)).toStringList().mid(0, recentDeviceCount);
}

void rememberDevice(const QString& device)
{
    QStringList devices = recentDevices();
    devices.removeAll(device);
    devices.prepend(device);
    QSettings settings(QString::fromLatin1(company), QString::fromLatin1(program));
    settings.setValue(QLatin1String(devicesKey), devices.mid(0, recentDeviceCount));
}
