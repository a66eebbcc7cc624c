#pragma once

// Time synchronisation command (0x20): sets the board's own clock.

#include <QByteArray>
#include <QDateTime>

namespace protocol {

inline constexpr int kClockFrameLength = 14;

// The 14-byte frame with the payload year within the century, month, day,
// hour (0..23), minute, second, each as its plain binary value (23 -> 0x17; neither
// BCD nor ASCII). All six come from the one given instant, converted to local time.
// An invalid date-time gives an empty array.
QByteArray clockFrame(quint8 deviceId, const QDateTime& localTime);

} // namespace protocol
