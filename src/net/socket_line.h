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
        None,
        Refused,         // nothing listens at that port
        UnknownHost,
        TimedOut,        // no connection, or no answer to the line settings, in time
        ClosedByServer,
        NoComPortOption, // a Telnet server that will not set the serial line
        SettingsRefused, // the server put the line at other settings
        Other,
    };

    struct ConnectResult {
        Failure failure = Failure::None;
        QString detail; // English, from the socket or the negotiation
        bool ok() const { return failure == Failure::None; }
    };

    enum class WriteOutcome { Done, TimedOut, Lost, NotOpen };
    struct WriteResult {
        WriteOutcome outcome = WriteOutcome::NotOpen;
        QString detail;
    };

    // What the kernel may hold for a peer that has stopped reading: a few frames,
    // so that a stalled peer shows up as a write that does not finish.
    static constexpr int kSendBufferBytes = 4096;
    // How long an RFC 2217 server gets to answer the line settings (within the
    // connect timeout). The connection stands without the answers: the server
    // applies the settings in order before any data that follows them.
    static constexpr std::chrono::milliseconds kSettingsAnswerWait {1000};

    explicit SocketLine(QObject* parent = nullptr);

    ConnectResult connectTo(const ServerAddress& address, const LineSettings& settings,
                            std::chrono::milliseconds timeout);
    bool isOpen() const { return m_open; }
    void close();

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

    QTcpSocket m_socket;
    ServerAddress::Protocol m_protocol = ServerAddress::Protocol::RawTcp;
    TelnetDecoder m_decoder;
    TelnetOptions m_options;
    std::optional<LineSettingsConfirmation> m_confirmation;
    QByteArray m_input;
    bool m_open = false;
    bool m_waiting = false;
    bool m_receivedDuringWait = false;
};

} // namespace net
