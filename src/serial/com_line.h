#pragma once
// The board's line on a COM port of a Windows machine: the Windows side of SystemLine.
//
// The port is opened for overlapped I/O and set through its device control block to the board's
// line settings. One read is always outstanding; its completion, and a write's, are signalled to
// the event loop through the operations' events, so nothing blocks the thread:
//   received()  when a read brought bytes (they wait in takeAll()),
//   lost()      when a read or a write failed because the port went away (adapter unplugged).
// Reads return as soon as the bytes that came stop coming (the read time-outs in com_line_win.cpp),
// which works on every driver and under Wine; WaitCommEvent is not used, as Wine cancels it at
// once on a pseudo-terminal.
#include "serial/system_line.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <variant>

class QWinEventNotifier;

namespace serial {

class ComLine : public SystemLine {
    Q_OBJECT
public:
    // portName is "COMn" (as port_choice.h makes it). A missing port is NoSuchDevice, one another
    // program holds is InUse (Windows opens COM ports exclusively).
    static std::variant<std::unique_ptr<ComLine>, line::OpenFault> open(const QString& portName);

    ~ComLine() override;

    QString name() const override { return m_name; }
    bool isOpen() const override;
    void close() override;
    line::Result<line::WriteFault> write(const QByteArray& frame) override;
    qint64 bytesWaiting() const override { return m_received.size(); }
    QByteArray takeAll() override;
    void discardAll() override;
    line::Result<line::WriteFault> finish() override { return line::Result<line::WriteFault>::done(); }

private:
    struct Io;
    explicit ComLine(const QString& portName);
    bool startRead();
    void readDone();
    void loseDevice(const QString& detail);
    line::WriteFault fault(line::WriteFailure why, const QString& detail = {}) const;

    QString m_name;
    std::unique_ptr<Io> m_io;
    QWinEventNotifier* m_readDone = nullptr;
    QWinEventNotifier* m_writeDone = nullptr;
    QByteArray m_received;
};

} // namespace serial
