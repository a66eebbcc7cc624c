#pragma once

// A real serial port of this machine at the board's line settings: a device node on Linux, a COM
// port on Windows (serial/system_line.h).

#include "line.h"

#include "serial/system_line.h"

#include <QString>

#include <memory>

namespace boardsim {

class SerialLine : public Line {
    Q_OBJECT
public:
    using Line::Line;

    // Empty on success, else why the port could not be opened:
    //   open("COM9") on a machine without it -> "cannot open COM9: no such port".
    QString open(const QString& device);
    bool send(const QByteArray& bytes) override;

private:
    std::unique_ptr<serial::SystemLine> m_port;
};

} // namespace boardsim
