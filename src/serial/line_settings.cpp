#include "serial/line_settings.h"

#include <QSerialPort>

namespace serial {

static_assert(kDataBits == 8 && !kParityBit && kStopBits == 1 && !kFlowControl,
              "the settings below spell out the board's line");

void applyLineSettings(QSerialPort& port)
{
    port.setBaudRate(kBaudRate);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
}

} // namespace serial
