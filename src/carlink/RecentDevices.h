#pragma once
// The device names last typed into Port ▸ Other device..., kept between runs,
// so that a link or a pseudo-terminal used before is a pick away.

#include <QStringList>

// Newest first, at most recentDeviceCount.
QStringList recentDevices();
// Puts `device` first, once.
void rememberDevice(const QString& device);

constexpr int recentDeviceCount = 5;
