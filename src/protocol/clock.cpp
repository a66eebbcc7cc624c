#include "protocol/clock.h"

#include <array>

namespace protocol {

std::optional<QByteArray> clockFrame(quint8 deviceId, const QDateTime& localTime)
{
    if (!localTime.isValid())
        return std::nullopt;

    const QDateTime local = localTime.toLocalTime();
    const QDate date = local.date();
    const QTime time = local.time();
    // QDate allows years before the common era; keep the byte within 0..99 for them too.
    const int yearInCentury = (date.year() % 100 + 100) % 100;

    const std::array<quint8, kClockPayloadBytes> payload {
        quint8(yearInCentury), quint8(date.month()), quint8(date.day()),
        quint8(time.hour()),   quint8(time.minute()), quint8(time.second()),
    };
    return buildFixedFrame(deviceId, Command::Clock, payload);
}

} // namespace protocol
