#include "protocol/temperature.h"

#include "protocol/segment.h"

namespace protocol {

QString temperatureText(const QString& low, const QString& high)
{
    return low + high;
}

std::optional<QByteArray> temperatureFrame(quint8 deviceId, DisplayArea area, const QString& low, const QString& high)
{
    const QByteArray cells = toCellCodes(temperatureText(low, high), area.length, MinusSign::ShowsMinus);
    return displayDataFrame(deviceId, area, cells);
}

} // namespace protocol
