#pragma once
// One open line to the board, whatever carries it: a serial port, a device server that passes
// raw TCP, or one that speaks RFC 2217. The serial control of the window and every other sender
// see only this; each transport is one implementation (serial/serial_line.h, net/socket_line.h).
#include "line/line_fault.h"
#include "line/result.h"

#include <QByteArray>
#include <QObject>
#include <QString>

namespace line {

class Line : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The port as the program names it: "/dev/ttyUSB0", "tcp://host:4001", "rfc2217://host:7000".
    virtual QString name() const = 0;
    virtual bool isOpen() const = 0;
    // Closes at once; what was handed over already goes on to the device.
    virtual void close() = 0;

    // Done only once every byte of the frame has been taken by the driver or the socket, within
    // kWriteTimeout; the wait is an EventWait that leaves out user input. A line that could not
    // take the frame whole is closed before this returns, so no tail of it follows later.
    virtual Result<WriteFault> write(const QByteArray& frame) = 0;

    virtual qint64 bytesWaiting() const = 0;
    virtual QByteArray takeAll() = 0;
    // Drops what is waiting, also what the system holds and has not been read yet.
    virtual void discardAll() = 0;

    // Ends a short session so that the device gets everything written: a device server is given
    // time to put the bytes on its line before the connection goes. False, with the line closed,
    // when that could not be confirmed.
    virtual Result<WriteFault> finish() = 0;

signals:
    void received();
    // The device went away; the line has been closed. Raised once, at once, from whatever noticed
    // it: the event loop, or a write, whose result then says HungUp or ServerLost too.
    void lost(const line::LineLoss& loss);
};

} // namespace line
