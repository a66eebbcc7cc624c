#pragma once

// The board's line, fixed for every board: 57600 baud, 8 data bits, no parity,
// 1 stop bit, no flow control. Every end of the line that the program or the
// virtual board opens takes its settings from here.

#include "line/line_fault.h"

class QSerialPort;

namespace serial {

inline constexpr qint32 kBaudRate = line::kBaudRate;
inline constexpr int kDataBits = 8;
inline constexpr bool kParityBit = false;
inline constexpr int kStopBits = 1;
inline constexpr bool kFlowControl = false;

// Sets all of them on port, before or after it is opened (Linux, where QSerialPort carries the
// line; the Windows COM line sets them in its own device control block).
void applyLineSettings(QSerialPort& port);

} // namespace serial
