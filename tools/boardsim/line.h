#pragma once

// The board's end of the serial line: a real serial device or a pseudo-terminal.

#include <QByteArray>
#include <QObject>
#include <QString>

namespace boardsim {

class Line : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Sends bytes to the program; false when they could not all be written.
    virtual bool send(const QByteArray& bytes) = 0;

signals:
    void received(const QByteArray& bytes);
    // The line can no longer be used (device unplugged, read error).
    void failed(const QString& reason);
};

} // namespace boardsim
