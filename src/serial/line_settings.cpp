#include "serial/line_settings.h"

namespace serial {

void applyLineSettings(QSerialPort& port)
{
    port.setBaudRate(kBaudRate);
    port.setDataBits(kDataBits);
    port.setParity(kParity);
    port.setStopBits(kStopBits);
    port.setFlowControl(kFlowControl);
}

} // namespace serial
