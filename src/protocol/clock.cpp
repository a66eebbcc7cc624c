#include "protocol/clock.h"

#include <array>

namespace protocol {

namespace {

// The payload's bytes, in the order the frame carries them.
enum ClockByte { Year, Month, Day, Hour, Minute, Second };

// The board's year byte counts from this year.
constexpr int kCentury = 2000;

} // namespace

std::optional<QByteArray> clockFrame(quint8 deviceId, const QDateTime& localTime)
{
    if (!localTime.isValid())
        return std::nullopt;

    const QDateTime local = localTime.toLocalTime();
    const QDate date = local.date();
    const QTime time = local.time();
    // QDate allows years before the common era; keep the byte within 0..99 for them too.
    const int yearInCentury = (date.year() % 100 + 100) % 100;

    std::array<quint8, kClockPayloadBytes> payload {};
    payload[Year] = quint8(yearInCentury);
    payload[Month] = quint8(date.month());
    payload[Day] = quint8(date.day());
    payload[Hour] = quint8(time.hour());
    payload[Minute] = quint8(time.minute());
    payload[Second] = quint8(time.second());
    return buildFixedFrame(deviceId, Command::Clock, payload);
}

PayloadParse<QDateTime> parseClock(QByteArrayView payload)
{
    if (payload.size() != kClockPayloadBytes)
        return PayloadFault {QStringLiteral("clock needs %1 bytes, got %2").arg(kClockPayloadBytes).arg(payload.size())};
    const auto at = [payload](ClockByte i) { return int(quint8(payload[i])); };
    const QDate date(kCentury + at(Year), at(Month), at(Day));
    const QTime time(at(Hour), at(Minute), at(Second));
    if (at(Year) > 99 || !date.isValid() || !time.isValid()) {
        return PayloadFault {QStringLiteral("not a date and time: %1 %2 %3 %4 %5 %6")
                                 .arg(at(Year)).arg(at(Month)).arg(at(Day)).arg(at(Hour)).arg(at(Minute)).arg(at(Second))};
    }
    return QDateTime(date, time, Qt::UTC);
}

} // namespace protocol
