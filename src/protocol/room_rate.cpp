#include "protocol/room_rate.h"

#include "protocol/segment.h"

namespace protocol {

QString roomRateText(const RoomRateFields& fields)
{
    QString text;
    text.reserve(kValueRows * kRoomRateWidth);
    for (const QString& field : fields)
        text += rightAligned(field, kRoomRateWidth);
    return text;
}

std::optional<QByteArray> roomRateFrame(quint8 deviceId, DisplayArea area, const RoomRateFields& fields)
{
    return displayDataFrame(deviceId, area, toCellCodes(roomRateText(fields), area.length));
}

} // namespace protocol
