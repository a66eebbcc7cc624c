#pragma once
// The board's line on a serial port of this machine, at the board's fixed line settings
// (line_settings.h): on Linux a device node or a pseudo-terminal (serial_line.h), on Windows a
// COM port (com_line.h). Which one is built is chosen per platform; callers see only this.
#include "line/line.h"

#include <QString>

#include <memory>
#include <variant>

namespace serial {

class SystemLine : public line::Line {
    Q_OBJECT
public:
    using line::Line::Line;

    // Opens portName ("/dev/ttyUSB0" on Linux, "COM3" on Windows) and starts reading. The open
    // faults tell a missing port (NoSuchDevice), one that another program holds (InUse) and one
    // this user may not open (NoPermission) apart.
    //   auto opened = SystemLine::open(QStringLiteral("COM3"));
    //   if (auto* fault = std::get_if<line::OpenFault>(&opened)) report(*fault);
    static std::variant<std::unique_ptr<SystemLine>, line::OpenFault> open(const QString& portName);

signals:
    // A port error that leaves the port usable, such as bytes the driver refused after write()
    // had reported them taken (that output is dropped, not retried). Qt 6 reports no parity or
    // framing errors on Linux, nor does the COM line on Windows; such bytes arrive as received.
    void lineError();
};

} // namespace serial
