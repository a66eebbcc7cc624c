#pragma once

// The board's line, fixed for every board: 57600 baud, 8 data bits, no parity,
// 1 stop bit, no flow control. Every end of the line that the program or the
// virtual board opens takes its settings from here.

#include "line/line_fault.h"

#include <QSerialPort>

namespace serial {

inline constexpr qint32 kBaudRate = line::kBaudRate;
inline constexpr QSerialPort::DataBits kDataBits = QSerialPort::Data8;
inline constexpr QSerialPort::Parity kParity = QSerialPort::NoParity;
inline constexpr QSerialPort::StopBits kStopBits = QSerialPort::OneStop;
inline constexpr QSerialPort::FlowControl kFlowControl = QSerialPort::NoFlowControl;

// Sets all of them on port, before or after it is opened.
void applyLineSettings(QSerialPort& port);

} // namespace serial
