#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

#include <chrono>

namespace net {
class SocketLine;
}

namespace serial {

// The serial control of the main window: one port at the board's fixed line
// settings (line_settings.h),
// with the receive-threshold event the board's reply handling is built on.
//
// Receive events: onComm(Receive) is raised when data arrives and at least
// rThreshold() bytes are then waiting; a threshold of 0 (the initial value)
// raises none. Raising the threshold over bytes already waiting raises nothing
// until more bytes arrive. onComm is never raised while a handler of onComm is
// still running: a handler that opens a modal dialog lets the port keep
// receiving, but the bytes that arrive meanwhile raise no nested event; they
// stay waiting for the handler to take or discard (the board's reply handler
// discards them, so every event still ends with an empty buffer). Line errors
// that arrive while a handler runs are not raised either, as that handler ends
// by emptying the buffer, which is all an error event asks of it.
//
// Error events: onComm(Error) stands for a port error that leaves the port
// usable, such as bytes the driver refused after write() had returned them ok
// (that output is dropped, not retried). Qt 6 reports no parity or framing
// errors; such bytes arrive as received.
//
// Loss of the device (USB adapter unplugged, pseudo-terminal peer gone, any
// read failure, which would otherwise repeat without end): the port is closed
// and portLost is emitted once, at once, from whatever noticed it: the event
// loop's read notification, or write(), whose failed result then follows. A
// caller that reports both should not show the loss twice (portOpen() is
// already false when write() returns). Reopening afterwards is safe.
//
// A port name may also be a serial device server, "tcp://HOST:PORT" or
// "rfc2217://HOST:PORT" (see portNameForChoice). open() then connects, giving up
// after kConnectTimeout, and for RFC 2217 asks the server for the line
// settings above. A connection that breaks later is a lost device.
//
// open() and write() wait in a nested event loop that leaves out user input, so
// the window keeps painting and its timers run, but no click can start another
// frame meanwhile. Calls that arrive from other events during such a wait are
// refused with busy set rather than mixed into the frame on its way.
class VorMsComm : public QObject {
    Q_OBJECT

public:
    enum class CommEvent { Error = 1, Receive = 2 };
    Q_ENUM(CommEvent)

    enum class OpenFailure {
        None,
        NoSuchDevice,
        InUse,
        NoPermission,
        Refused,          // device server: nothing listens at that port
        UnknownHost,
        TimedOut,
        ClosedByServer,
        NotADeviceServer, // an RFC 2217 peer that will not set the serial line
        Busy,             // another open or write is still waiting
        Other,
    };

    static constexpr std::chrono::milliseconds kConnectTimeout {3000};
    // Longest a frame may take to be handed over in full to the driver or the socket.
    static constexpr std::chrono::milliseconds kWriteTimeout {2000};

    struct OpenResult {
        bool ok = false;
        QString reason; // Chinese, for the operator: what went wrong and what to do
        OpenFailure failure = OpenFailure::None;
    };

    struct WriteResult {
        bool ok = false;
        QString reason; // Chinese, for the operator
        bool busy = false; // refused because another write or open is waiting; the port is untouched
    };

    explicit VorMsComm(QObject* parent = nullptr);
    ~VorMsComm() override;

    bool portOpen() const;
    QString portName() const; // as last given to open(), e.g. /dev/ttyS2, or the server's tcp:// or rfc2217:// text

    // Closes the port first when it is open, so a failed open leaves it closed.
    // On Linux a busy port (another program's lock file in /run/lock or its
    // exclusive mode) and a device node without access rights both come back
    // from QSerialPort as PermissionError; the access right of the node tells
    // NoPermission from InUse. Root passes both the exclusive mode and the rights.
    OpenResult open(const QString& portName);
    void close();

    // Done only once every byte of the frame has been taken by the driver or
    // the socket, within kWriteTimeout. Fails, never throws, for an empty
    // frame, when the port is closed, the device has hung up (then also
    // portLost), not every byte was taken in time (the port is then closed, so
    // no tail of the frame follows later), or another wait is running.
    WriteResult write(const QByteArray& frame);

    // Closes the port at the end of a sender's session (open, a few frames, gone) so that
    // no frame written is lost. A serial port is closed as close() closes it. A device
    // server's connection ends only once the server can have put every frame on its line
    // (net::SocketLine::finish), within kWriteTimeout. Fails when the server hung up before
    // (then also portLost) or, over RFC 2217, did not show in time that it had read the
    // frames. The port is closed in every case; busy as for write().
    WriteResult finish();

    void setRThreshold(int bytes);
    int rThreshold() const;

    int inBufferCount() const;
    QByteArray input();  // every waiting byte, raw
    void clearInput();   // discards every waiting byte, also those not yet fetched from the driver

signals:
    void onComm(serial::VorMsComm::CommEvent event);
    void portLost(const QString& reason);

private:
    void handleReadyRead();
    void handleError(QSerialPort::SerialPortError error);
    void loseDevice(const QString& detail);
    enum class LineState { Writable, Busy, HungUp };
    LineState lineState() const;
    void raise(CommEvent event);
    OpenResult openFailure() const;
    OpenResult openServer(const QString& name);
    WriteResult writeSerial(const QByteArray& frame);
    WriteResult writeServer(const QByteArray& frame);
    bool waitForSerialOutput();

    QSerialPort m_port;
    QString m_portName;
    net::SocketLine* m_server; // the device server connection, when the port is one
    QString m_serverName;      // its choice text, while connected or connecting
    bool m_waiting = false;    // an open or write is waiting for the line
    int m_rThreshold = 0;
    bool m_opening = false;  // errors of an open are answered by its OpenResult
    bool m_closing = false;  // errors raised by closing a dead device are not news
    bool m_writing = false;  // errors of a write are answered by its WriteResult
    bool m_inEvent = false;
};

} // namespace serial
