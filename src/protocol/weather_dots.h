#pragma once

// Weather text command (0x29): the 64 x 16 dot matrix of the weather text.

#include "protocol/dot_matrix.h"
#include "protocol/frame.h"

#include <QByteArray>
#include <QByteArrayView>

#include <span>

namespace protocol {

// 00 01 C0 00 (fixed, always sent as such), bytes per row, rows.
inline constexpr int kDotHeaderBytes = 6;
inline constexpr int kDotBytesPerRowAt = 4;
inline constexpr int kDotRowsAt = 5;
inline constexpr int kWeatherDotPayloadBytes = kDotHeaderBytes + kDotBytes;

// The 142-byte frame: the dot header, then the matrix row by row, top row first,
// bit 7 the leftmost dot.
QByteArray weatherDotFrame(quint8 deviceId, std::span<const quint8, kDotBytes> dots);

// The matrix a weather dot payload carries. The payload must be 134 bytes: the
// fixed 00 01 C0 00, 8 bytes per row and 16 rows (this board's matrix), then the
// 128 matrix bytes; anything else is a fault.
PayloadParse<DotMatrix> parseWeatherDots(QByteArrayView payload);

} // namespace protocol
