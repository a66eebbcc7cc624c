#pragma once

// Temperature command: the forecast's low and high temperature in one
// display-data frame to the temperature area.

#include "protocol/display_data.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace protocol {

// Characters of each temperature field.
inline constexpr int kTemperatureWidth = 2;

// low immediately followed by high, nothing padded: "12" and "18" give "1218",
// "-5" and "3" give "-53".
QString temperatureText(const QString& low, const QString& high);

// The display-data frame for area, where "-" shows as a minus sign; nullopt when
// the area is unusable (checkArea()).
std::optional<QByteArray> temperatureFrame(quint8 deviceId, DisplayArea area, const QString& low, const QString& high);

} // namespace protocol
