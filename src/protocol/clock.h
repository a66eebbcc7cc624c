#pragma once

// Time synchronisation command (0x20): sets the board's own clock.

#include "protocol/frame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>

#include <optional>

namespace protocol {

// Year within the century, month, day, hour, minute, second.
inline constexpr int kClockPayloadBytes = 6;

// The 14-byte frame with the payload year within the century, month, day,
// hour (0..23), minute, second, each as its plain binary value (23 -> 0x17; neither
// BCD nor ASCII). All six come from the one given instant, converted to local time.
// nullopt for an invalid date-time.
std::optional<QByteArray> clockFrame(quint8 deviceId, const QDateTime& localTime);

// The wall-clock time a clock payload sets, read as a year of 2000 .. 2099, as a
// QDateTime in UTC so that no time-zone rule shifts it: 0C 05 17 14 0E 06 gives
// 2012-05-23 20:14:06. Six bytes that are not a date and time (month 13, hour 24,
// year byte over 99) or a payload of another size are a fault.
PayloadParse<QDateTime> parseClock(QByteArrayView payload);

} // namespace protocol
