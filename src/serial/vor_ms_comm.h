#pragma once
// The serial control of the main window: one line to the board at the board's fixed line
// settings (line_settings.h), over whichever transport the port name names, with the
// receive-threshold event the board's reply handling is built on.
//
// Receive events: onComm(Receive) is raised when data arrives and at least rThreshold() bytes are
// then waiting; a threshold of 0 (the initial value) raises none. Raising the threshold over
// bytes already waiting raises nothing until more bytes arrive. onComm is never raised while a
// handler of onComm is still running: a handler that opens a modal dialog lets the line keep
// receiving, but the bytes that arrive meanwhile raise no nested event; they stay waiting for the
// handler to take or discard (the board's reply handler discards them, so every event still ends
// with an empty buffer). Line errors that arrive while a handler runs are not raised either, as
// that handler ends by emptying the buffer, which is all an error event asks of it.
//
// Error events: onComm(Error) stands for a port error that leaves the port usable (see
// SerialLine::lineError).
//
// Loss of the device (USB adapter unplugged, pseudo-terminal peer gone, any read failure, a
// device server gone): the line is closed and portLost is emitted once, at once, from whatever
// noticed it: the event loop, or write(), whose failed result then follows. A caller that
// reports both should not show the loss twice (portOpen() is already false when write()
// returns). Reopening afterwards is safe.
//
// open() and write() wait in a line::EventWait that leaves out user input, so the window keeps
// painting and its timers run, but no click can start another frame meanwhile. Calls that arrive
// from other events during such a wait are refused as Busy rather than mixed into the frame on
// its way; data that arrives during the wait raises its event once the wait is over.
#include "line/line.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

namespace serial {

class VorMsComm : public QObject {
    Q_OBJECT

public:
    enum class CommEvent { Error = 1, Receive = 2 };
    Q_ENUM(CommEvent)

    explicit VorMsComm(QObject* parent = nullptr);
    ~VorMsComm() override;

    bool portOpen() const;
    // As last given to open(), e.g. /dev/ttyS2, or the server's tcp:// or rfc2217:// text.
    QString portName() const;

    // Opens the port a port name names (see portNameForChoice): a device path, or a device
    // server, which is connected within line::kConnectTimeout and, for RFC 2217, asked for the
    // board's line settings. Closes the port first, so a failed open leaves it closed.
    line::Result<line::OpenFault> open(const QString& portName);
    void close();

    // See line::Line::write(). Also fails, leaving the port as it is, for an empty frame and
    // while another open or write is waiting (Busy).
    line::Result<line::WriteFault> write(const QByteArray& frame);
    // Ends a short session: see line::Line::finish(). The port is closed afterwards.
    line::Result<line::WriteFault> finish();

    // An open or a write is waiting for the line.
    bool waiting() const { return m_waiting; }

    void setRThreshold(int bytes);
    int rThreshold() const;

    int inBufferCount() const;
    QByteArray input();  // every waiting byte, raw
    void clearInput();   // discards every waiting byte, also those not yet fetched from the driver

signals:
    void onComm(serial::VorMsComm::CommEvent event);
    void portLost(const line::LineLoss& loss);

private:
    void handleReceived();
    void raise(CommEvent event);
    void loseLine(const line::LineLoss& loss);

    std::unique_ptr<line::Line> m_line;
    QString m_portName;
    bool m_waiting = false;
    bool m_receivedWhileWaiting = false;
    bool m_inEvent = false;
    int m_rThreshold = 0;
};

} // namespace serial
