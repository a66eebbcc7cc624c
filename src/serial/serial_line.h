#pragma once
// The board's line on a serial port of this machine (or a pseudo-terminal), at the board's fixed
// line settings, through QSerialPort: the Linux side of SystemLine.
#include "serial/system_line.h"

#include <QSerialPort>

#include <memory>
#include <variant>

namespace serial {

class SerialLine : public SystemLine {
    Q_OBJECT
public:
    // Opens portName (a device path, or COMn on Windows). On Linux a busy port (another holder's
    // lock file in /run/lock or its exclusive mode) and a device node without access rights both
    // come back from QSerialPort as PermissionError; the access right of the node tells
    // NoPermission from InUse. Root passes both the exclusive mode and the rights.
    static std::variant<std::unique_ptr<SerialLine>, line::OpenFault> open(const QString& portName);

    ~SerialLine() override { close(); }

    QString name() const override { return m_name; }
    bool isOpen() const override { return m_port.isOpen(); }
    void close() override;
    line::Result<line::WriteFault> write(const QByteArray& frame) override;
    qint64 bytesWaiting() const override { return m_port.bytesAvailable(); }
    QByteArray takeAll() override;
    void discardAll() override;
    line::Result<line::WriteFault> finish() override { return line::Result<line::WriteFault>::done(); }

private:
    explicit SerialLine(const QString& portName);
    line::OpenFault openFault() const;
    enum class State { Writable, Busy, HungUp };
    State state() const;
    bool waitForOutput();
    void handleError(QSerialPort::SerialPortError error);
    void loseDevice(const QString& detail);
    line::WriteFault fault(line::WriteFailure why, const QString& detail = {}) const;

    QSerialPort m_port;
    QString m_name;
    bool m_writing = false; // errors of a write are answered by its result, not raised
};

} // namespace serial
