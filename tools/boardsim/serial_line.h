#pragma once

// A real serial device at the board's line settings (serial/line_settings.h).

#include "line.h"

#include <QSerialPort>
#include <QString>

namespace boardsim {

class SerialLine : public Line {
    Q_OBJECT
public:
    explicit SerialLine(QObject* parent = nullptr);

    // Empty on success, else why the device could not be opened.
    QString open(const QString& device);
    bool send(const QByteArray& bytes) override;

private:
    QSerialPort m_port;
};

} // namespace boardsim
