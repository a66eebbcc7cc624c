#pragma once

// Real peers on the loopback interface for the network port tests: the virtual
// board as a headless process, ser2net and socat in front of a pseudo-terminal,
// and plain sockets that refuse, stall or listen without answering. Every port
// is chosen by the kernel (port 0) and read back, so parallel runs cannot collide.

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <optional>
#include <vector>

namespace testsupport {

// The TCP port a running process listens on at 127.0.0.1, found through
// /proc; nullopt while it listens on none.
std::optional<quint16> listeningPort(qint64 pid);

// boardsim --headless with the given line arguments (--pty or --listen ...).
class HeadlessBoard {
public:
    HeadlessBoard() = default;
    ~HeadlessBoard();
    HeadlessBoard(const HeadlessBoard&) = delete;
    HeadlessBoard& operator=(const HeadlessBoard&) = delete;

    // Starts it and reads its first line ("line" or "listening"); errorString() on failure.
    bool start(const QStringList& lineArguments);
    QJsonObject firstLine() const { return m_first; }
    // The next JSON line it prints, waiting up to timeoutMs; empty when none came.
    QJsonObject nextObject(int timeoutMs = 5000);
    void stop();
    void kill();
    QString errorString() const { return m_error; }

private:
    QProcess m_process;
    QJsonObject m_first;
    QString m_error;
};

// ser2net in the foreground with one accepter ("telnet(rfc2217),tcp" or "tcp")
// on 127.0.0.1, kernel-chosen port, in front of a serial device at the given
// line settings ("9600n81").
class Ser2net {
public:
    Ser2net() = default;
    ~Ser2net();
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    bool start(const QString& accepter, const QString& device, const QString& lineSettings);
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};

// socat TCP-LISTEN on 127.0.0.1 in front of a new pseudo-terminal; the
// pseudo-terminal exists once a client has connected.
class SocatTcpPty {
public:
    SocatTcpPty() = default;
    ~SocatTcpPty();
    SocatTcpPty(const SocatTcpPty&) = delete;
    SocatTcpPty& operator=(const SocatTcpPty&) = delete;

    bool start();
    quint16 port() const { return m_port; }
    QString ptyLink() const; // appears after the first connection
    QString errorString() const { return m_error; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_error;
};

// A plain socket for the failure cases, closed when destroyed.
class RawSocket {
public:
    enum class Kind {
        BoundNotListening, // connecting is refused, and the port stays ours
        ListeningNeverAccepting, // the kernel completes connections and then buffers little
    };
    explicit RawSocket(Kind kind);
    ~RawSocket();
    RawSocket(const RawSocket&) = delete;
    RawSocket& operator=(const RawSocket&) = delete;

    bool ok() const { return m_fd >= 0; }
    quint16 port() const { return m_port; }

    // Receive buffer of a stalled listener: small, so the stall shows after a few kilobytes.
    static constexpr int kStalledReceiveBuffer = 2048;

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

} // namespace testsupport
