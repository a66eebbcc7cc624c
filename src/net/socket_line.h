#pragma once
// The board's line behind a serial device server, reached over TCP: the two transports the
// device servers speak, each an implementation of line::Line.
//   RawTcpLine    - the bytes as they are (ser2net's "tcp" accepter, most RS-232-to-Ethernet boxes);
//   Rfc2217Line   - Telnet with the com port option, which this class speaks so that its users
//                   see the device's bytes only, and which asks the server to put its serial
//                   port at the board's line settings each time it connects.
//
// Opening and writing wait in a line::EventWait that leaves out user input, so no click can start
// a second frame in the middle of one. Timers and sockets keep being served.
#include "line/line.h"
#include "net/com_port.h"
#include "net/server_address.h"
#include "net/telnet_codec.h"
#include "net/telnet_options.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QTcpSocket>

#include <memory>
#include <optional>
#include <variant>

namespace net {

// What the two transports share: the connection, its loss, and the handing over of bytes.
class SocketLine : public line::Line {
    Q_OBJECT
public:
    // What the kernel may hold for a peer that has stopped reading: a few frames, so that a
    // stalled peer shows up as a write that does not finish.
    static constexpr int kSendBufferBytes = 4096;
    // What finish() allows, beyond the line time of the bytes, for the server to pass them to
    // its device and for the device driver to send them on. A device server on a busy computer
    // may not run for tens of milliseconds after it read them: with 50 ms, one frame in about
    // eighty was lost behind a confirmed read when the server shared two cores with a build.
    static constexpr std::chrono::milliseconds kDeviceMargin {250};

    // Connects to address within line::kConnectTimeout; for RFC 2217 also asks for settings.
    // name is the port name the program knows the server by ("rfc2217://host:7000").
    static std::variant<std::unique_ptr<SocketLine>, line::OpenFault> open(const ServerAddress& address,
                                                                           const LineSettings& settings,
                                                                           const QString& name);

    ~SocketLine() override;

    QString name() const override { return m_name; }
    bool isOpen() const override { return m_open; }
    void close() override;
    line::Result<line::WriteFault> write(const QByteArray& frame) override;
    qint64 bytesWaiting() const override { return m_input.size(); }
    QByteArray takeAll() override;
    void discardAll() override;
    // Ends a session of a sender that connects, writes a few frames and goes, so that none of
    // them is lost; the line is closed afterwards in every case.
    //
    // A device server may drop what its serial device has not yet sent on when the client
    // goes: ser2net, reading the end of the connection, flushes its device at once, and on a
    // pseudo-terminal its check for pending output always finds none. Closing right after the
    // last write can therefore lose a frame the server has taken. So the end comes in three
    // steps, within line::kWriteTimeout:
    //  1. the transport's proof that the server has read every byte (RFC 2217: the answer to a
    //     baud-rate query sent behind them; raw TCP has none, the wait starts from the kernel
    //     having taken the last byte);
    //  2. the line gets the time to carry every byte of the session at the board's line
    //     settings, plus kDeviceMargin;
    //  3. the sending side is shut down and the server gets the rest of the time to close its
    //     side.
    // A server that hangs up during 1 or 2 fails it as ServerLost (lost() is raised too); one
    // that does not answer in 1 as NotConfirmed.
    // Example: 20 bytes at 57600 8N1 over RFC 2217: the answer after about a millisecond, then
    // 4 ms of line time and the margin, then the server's close: done after about 260 ms.
    line::Result<line::WriteFault> finish() override;

protected:
    explicit SocketLine(QString name);

    // The transport's own part: what goes on the wire for a frame, what of the received bytes
    // is the device's, and what to agree on once connected (nullopt: agreed).
    virtual QByteArray encode(const QByteArray& frame) const = 0;
    virtual QByteArray decode(const QByteArray& received) = 0;
    virtual std::optional<line::OpenFault> negotiate(const QDeadlineTimer& deadline) = 0;
    // Step 1 of finish(): true once the server shows it has read everything sent so far.
    virtual bool confirmRead(const QDeadlineTimer& deadline) = 0;

    // For the transports: waits until done() or the deadline, waking on every socket event.
    bool waitUntil(const std::function<bool()>& done, const QDeadlineTimer& deadline);
    bool connected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }
    void send(const QByteArray& bytes) { m_socket.write(bytes); }
    line::OpenFault openFault(line::OpenFailure why, const QString& detail) const { return {why, m_name, detail}; }

private:
    std::optional<line::OpenFault> connectTo(const ServerAddress& address);
    line::OpenFault socketFailure() const;
    std::chrono::milliseconds lineTime(qint64 bytes) const;
    void shutdownSending();
    void readSocket();
    void handleDisconnect(const QString& detail);
    line::WriteFault fault(line::WriteFailure why, const QString& detail) const;

    QTcpSocket m_socket;
    QString m_name;
    QByteArray m_input;
    qint64 m_sessionBytes = 0; // data bytes written since the connection was made
    bool m_open = false;
};

class RawTcpLine : public SocketLine {
    Q_OBJECT
public:
    explicit RawTcpLine(QString name) : SocketLine(std::move(name)) {}

protected:
    QByteArray encode(const QByteArray& frame) const override { return frame; }
    QByteArray decode(const QByteArray& received) override { return received; }
    std::optional<line::OpenFault> negotiate(const QDeadlineTimer&) override { return std::nullopt; }
    bool confirmRead(const QDeadlineTimer&) override { return true; }
};

// The line counts as open only once the server has answered every setting with the value asked
// for, within line::kConnectTimeout: the answers also show that it has its serial device open,
// since one that cannot open it hangs up instead.
class Rfc2217Line : public SocketLine {
    Q_OBJECT
public:
    Rfc2217Line(QString name, const LineSettings& settings) : SocketLine(std::move(name)), m_settings(settings) {}

protected:
    QByteArray encode(const QByteArray& frame) const override { return escapeData(frame); }
    QByteArray decode(const QByteArray& received) override;
    std::optional<line::OpenFault> negotiate(const QDeadlineTimer& deadline) override;
    bool confirmRead(const QDeadlineTimer& deadline) override;

private:
    LineSettings m_settings;
    bool m_rateAnswered = false; // a baud-rate answer came since confirmRead() asked
    TelnetDecoder m_decoder;
    TelnetOptions m_options;
    std::optional<LineSettingsConfirmation> m_confirmation;
};

} // namespace net
