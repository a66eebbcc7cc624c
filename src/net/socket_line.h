#pragma once

#include "net/com_port.h"
#include "net/telnet_codec.h"
#include "net/telnet_options.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTcpSocket>

#include <chrono>
#include <functional>
#include <optional>
#include <utility>

namespace net {

// Where a serial device server is reached, and how it wants the bytes.
struct ServerAddress {
    enum class Protocol { RawTcp, Rfc2217 };
    Protocol protocol = Protocol::RawTcp;
    QString host;
    quint16 port = 0;
};

// A serial line reached over TCP: raw bytes, or Telnet with the com port option,
// which this class speaks so that its users see the device's bytes only.
//
// connectTo() and write() wait for the network without blocking the thread: they
// run a nested event loop that leaves out user input, so no click can start a
// second frame in the middle of one. Timers and sockets keep being served.
// Bytes received during either wait stay waiting; received() follows afterwards.
class SocketLine : public QObject {
    Q_OBJECT

public:
    enum class Failure {
        Refused,         // nothing listens at that port
        UnknownHost,
        TimedOut,        // no connection, or no answer to the line settings, in time
        ClosedByServer,
        NoComPortOption, // a Telnet server that will not set the serial line
        SettingsRefused, // the server put the line at other settings
        Other,
    };

    // How connectTo() went. There is no default: a result is either a failure with its
    // reason or opened(), which only connectTo() gives once every check has passed.
    class ConnectResult {
    public:
        ConnectResult(Failure failure, QString detail)
            : m_failure(failure)
            , m_detail(std::move(detail))
        {
        }
        static ConnectResult opened() { return ConnectResult(); }
        bool ok() const { return !m_failure.has_value(); }
        Failure failure() const { return m_failure.value_or(Failure::Other); } // when !ok()
        const QString& detail() const { return m_detail; } // English, from the socket or the negotiation

    private:
        ConnectResult() = default;
        std::optional<Failure> m_failure;
        QString m_detail;
    };

    enum class WriteOutcome { Done, TimedOut, Lost, NotOpen };
    struct WriteResult {
        WriteOutcome outcome = WriteOutcome::NotOpen;
        QString detail;
    };

    enum class FinishOutcome {
        Done,           // the server read every byte and its line had the time to carry them
        ClosedByServer, // the server hung up before: what its device had not sent on is lost
        NotConfirmed,   // an RFC 2217 server did not show in time that it had read the bytes
        NotOpen,        // nothing to end: never connected, or lost before
    };
    struct FinishResult {
        FinishOutcome outcome = FinishOutcome::NotOpen;
        QString detail; // English
    };

    // What the kernel may hold for a peer that has stopped reading: a few frames,
    // so that a stalled peer shows up as a write that does not finish.
    static constexpr int kSendBufferBytes = 4096;
    // What finish() allows, beyond the line time of the bytes, for the server to pass
    // them to its device and for the device driver to send them on.
    static constexpr std::chrono::milliseconds kDeviceMargin {50};

    explicit SocketLine(QObject* parent = nullptr);

    // Connects and, for RFC 2217, has the server put its line at the settings: the line
    // counts as open only once the server has answered every setting with the value
    // asked for, within the timeout. A raw TCP server is taken to be set up at them.
    ConnectResult connectTo(const ServerAddress& address, const LineSettings& settings,
                            std::chrono::milliseconds timeout);
    bool isOpen() const { return m_open; }
    // Drops the connection at once (a reset when bytes from the server are unread):
    // for a line that is kept, or one that has failed.
    void close();

    // Ends a session of a sender that connects, writes a few frames and goes, so that
    // none of them is lost; the line is closed afterwards in every case.
    //
    // A device server may drop what its serial device has not yet sent on when the
    // client goes: ser2net, reading the end of the connection, flushes its device at
    // once, and on a pseudo-terminal its check for pending output always finds none.
    // Closing right after the last write can therefore lose the frame although the
    // server has taken it. So the end comes in three steps, within the timeout:
    //  1. RFC 2217: the server's answer to baudRateQuery(), sent behind the frames,
    //     shows that it has read all of them. Raw TCP has no answer to wait for; the
    //     wait starts from the kernel having taken the last byte.
    //  2. The line gets the time to carry every byte written since connectTo() at the
    //     line settings, plus kDeviceMargin.
    //  3. The sending side is shut down and the server gets the rest of the timeout to
    //     close its side; what it still sends is read and dropped, so the end is no reset.
    // A server that hangs up during 1 or 2 makes it ClosedByServer (lost() is raised too).
    // Example: 20 bytes at 57600 8N1 over RFC 2217: the answer after about a millisecond,
    // then 4 ms of line time and the margin, then the server's close: Done after about 60 ms.
    FinishResult finish(std::chrono::milliseconds timeout);

    // Done only when every byte has been handed to the kernel within the timeout.
    // A line lost meanwhile also raises lost().
    WriteResult write(const QByteArray& data, std::chrono::milliseconds timeout);

    qsizetype bytesWaiting() const { return m_input.size(); }
    QByteArray takeAll();
    // Drops what is waiting, also what the kernel holds and has not been read yet.
    void discardAll();

signals:
    void received();
    void lost(const QString& detail);
    void progressed(); // any socket event, to wake a wait

private:
    void readSocket();
    void handleEvents(const Decoded& decoded);
    void handleDisconnect(const QString& detail);
    bool waitUntil(const std::function<bool()>& done, const QDeadlineTimer& deadline);
    ConnectResult negotiate(const LineSettings& settings, const QDeadlineTimer& deadline);
    ConnectResult socketFailure() const;
    std::chrono::milliseconds lineTime(qint64 bytes) const;
    void shutdownSending();

    QTcpSocket m_socket;
    ServerAddress::Protocol m_protocol = ServerAddress::Protocol::RawTcp;
    TelnetDecoder m_decoder;
    TelnetOptions m_options;
    std::optional<LineSettingsConfirmation> m_confirmation;
    LineSettings m_settings;
    qint64 m_sessionBytes = 0;     // data bytes written since connectTo()
    bool m_queryAnswered = false;  // a baud rate answer came after finish() asked
    QByteArray m_input;
    bool m_open = false;
    bool m_waiting = false;
    bool m_receivedDuringWait = false;
};

} // namespace net
