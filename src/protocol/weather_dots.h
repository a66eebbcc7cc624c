#pragma once

// Weather text command (0x29): the 64 x 16 dot matrix of the weather text.

#include <QByteArray>
#include <QtGlobal>

#include <span>

namespace protocol {

inline constexpr int kDotBytesPerRow = 8;   // 64 dots
inline constexpr int kDotRows = 16;
inline constexpr int kDotBytes = kDotBytesPerRow * kDotRows;
inline constexpr int kWeatherDotFrameLength = kDotBytes + 14;

// The 142-byte frame: payload 00 01 C0 00 (fixed, always sent as such), bytes per
// row, rows, then the matrix row by row, top row first, bit 7 the leftmost dot.
QByteArray weatherDotFrame(quint8 deviceId, std::span<const quint8, kDotBytes> dots);

} // namespace protocol
