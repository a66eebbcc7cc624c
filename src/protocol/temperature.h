#pragma once

// Temperature command: the forecast's low and high temperature in one
// display-data frame to the temperature area.

#include "protocol/display_data.h"

#include <QByteArray>
#include <QString>

namespace protocol {

// low immediately followed by high, nothing padded: "12" and "18" give "1218",
// "-5" and "3" give "-53".
QString temperatureText(const QString& low, const QString& high);

// The display-data frame for area, where "-" shows as a minus sign; empty when
// the area is unusable (checkArea()).
QByteArray temperatureFrame(quint8 deviceId, DisplayArea area, const QString& low, const QString& high);

} // namespace protocol
