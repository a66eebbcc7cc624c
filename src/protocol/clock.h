#pragma once

// Time synchronisation command (0x20): sets the board's own clock.

#include "protocol/frame.h"

#include <QByteArray>
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

} // namespace protocol
