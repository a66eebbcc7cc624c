#include "net/socket_line.h"

#include "line/event_wait.h"
#include "net/socket_shutdown.h"

#include <algorithm>

namespace net {

SocketLine::SocketLine(QString name) : m_name(std::move(name))
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &SocketLine::readSocket);
    connect(&m_socket, &QTcpSocket::disconnected, this,
            [this] { handleDisconnect(QStringLiteral("the server closed the connection")); });
    connect(&m_socket, &QTcpSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError) { handleDisconnect(m_socket.errorString()); });
}

SocketLine::~SocketLine()
{
    // The socket's own destructor would report the hang-up to a half-destroyed line.
    m_socket.disconnect(this);
    m_socket.abort();
}

std::variant<std::unique_ptr<SocketLine>, line::OpenFault> SocketLine::open(const ServerAddress& address,
                                                                           const LineSettings& settings,
                                                                           const QString& name)
{
    std::unique_ptr<SocketLine> socket;
    if (address.protocol == ServerAddress::Protocol::Rfc2217)
        socket = std::make_unique<Rfc2217Line>(name, settings);
    else
        socket = std::make_unique<RawTcpLine>(name);
    if (const std::optional<line::OpenFault> failed = socket->connectTo(address))
        return *failed;
    return socket;
}

std::optional<line::OpenFault> SocketLine::connectTo(const ServerAddress& address)
{
    const QDeadlineTimer deadline(line::kConnectTimeout);
    m_socket.connectToHost(address.host, address.port);
    const bool settled = waitUntil(
        [this] { return connected() || m_socket.state() == QAbstractSocket::UnconnectedState; }, deadline);
    if (!settled) {
        m_socket.abort();
        return openFault(line::OpenFailure::TimedOut,
                         QStringLiteral("no connection within %1 ms").arg(line::kConnectTimeout.count()));
    }
    if (!connected()) {
        const line::OpenFault failed = socketFailure();
        m_socket.abort();
        return failed;
    }
    m_socket.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBufferBytes);
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (const std::optional<line::OpenFault> refused = negotiate(deadline)) {
        m_socket.abort();
        return refused;
    }
    m_input.clear();
    m_open = true;
    return std::nullopt;
}

line::OpenFault SocketLine::socketFailure() const
{
    const QString detail = m_socket.errorString();
    switch (m_socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return openFault(line::OpenFailure::Refused, detail);
    case QAbstractSocket::HostNotFoundError:
        return openFault(line::OpenFailure::UnknownHost, detail);
    case QAbstractSocket::SocketTimeoutError:
        return openFault(line::OpenFailure::TimedOut, detail);
    case QAbstractSocket::RemoteHostClosedError:
        return openFault(line::OpenFailure::ClosedByServer, detail);
    default:
        return openFault(line::OpenFailure::Other, detail);
    }
}

void SocketLine::close()
{
    m_open = false;
    m_socket.abort();
    m_input.clear();
}

line::WriteFault SocketLine::fault(line::WriteFailure why, const QString& detail) const
{
    return {why, m_name, detail, 0, 0, 0};
}

line::Result<line::WriteFault> SocketLine::write(const QByteArray& frame)
{
    if (!m_open)
        return fault(line::WriteFailure::NotOpen, QStringLiteral("not connected"));
    m_socket.write(encode(frame));
    m_sessionBytes += frame.size();
    m_socket.flush();
    const bool taken = waitUntil([this] { return !m_open || m_socket.bytesToWrite() == 0; },
                                 QDeadlineTimer(line::kWriteTimeout));
    if (!m_open)
        return fault(line::WriteFailure::ServerLost, m_socket.errorString());
    if (!taken) {
        // Part of a frame is on its way and the rest would follow whenever the peer reads
        // again: the line is of no use until it is connected anew.
        line::WriteFault stuck = fault(line::WriteFailure::ServerNotTaking,
                                       QStringLiteral("%1 bytes not taken within %2 ms")
                                           .arg(m_socket.bytesToWrite())
                                           .arg(line::kWriteTimeout.count()));
        stuck.total = frame.size();
        stuck.left = m_socket.bytesToWrite();
        close();
        return stuck;
    }
    return line::Result<line::WriteFault>::done();
}

line::Result<line::WriteFault> SocketLine::finish()
{
    if (!m_open) {
        close();
        return line::Result<line::WriteFault>::done();
    }
    const QDeadlineTimer deadline(line::kWriteTimeout);
    const auto closedEarly = [this] {
        close();
        return fault(line::WriteFailure::ServerLost,
                     QStringLiteral("the server closed the connection before its line could carry the bytes"));
    };
    if (m_sessionBytes > 0) {
        const bool confirmed = confirmRead(deadline);
        if (!m_open)
            return closedEarly();
        if (!confirmed) {
            close();
            return fault(line::WriteFailure::NotConfirmed,
                         QStringLiteral("no answer within %1 ms to a query sent behind the bytes")
                             .arg(line::kWriteTimeout.count()));
        }
        const QDeadlineTimer lineCarried(
            std::min<qint64>(deadline.remainingTime(), (lineTime(m_sessionBytes) + kDeviceMargin).count()));
        waitUntil([this] { return !m_open; }, lineCarried);
        if (!m_open)
            return closedEarly();
    }
    // From here the server's close is the end of the session, not a loss.
    m_open = false;
    shutdownSending();
    waitUntil([this] { return m_socket.state() == QAbstractSocket::UnconnectedState; }, deadline);
    close();
    return line::Result<line::WriteFault>::done();
}

std::chrono::milliseconds SocketLine::lineTime(qint64 bytes) const
{
    const qint64 baud = line::kBaudRate;
    return std::chrono::milliseconds((bytes * line::kBitsPerCharacter * 1000 + baud - 1) / baud);
}

void SocketLine::shutdownSending()
{
    m_socket.flush();
    shutdownSocketSending(m_socket.socketDescriptor());
}

QByteArray SocketLine::takeAll()
{
    return std::exchange(m_input, QByteArray());
}

void SocketLine::discardAll()
{
    if (connected())
        readSocket();
    m_input.clear();
}

void SocketLine::readSocket()
{
    const QByteArray bytes = m_socket.readAll();
    if (bytes.isEmpty())
        return;
    const QByteArray data = decode(bytes);
    if (data.isEmpty())
        return;
    m_input += data;
    if (m_open)
        emit received();
}

void SocketLine::handleDisconnect(const QString& detail)
{
    if (m_open && m_socket.bytesAvailable() > 0)
        readSocket();
    if (!m_open)
        return;
    m_open = false;
    m_socket.abort();
    emit lost({m_name, detail});
}

bool SocketLine::waitUntil(const std::function<bool()>& done, const QDeadlineTimer& deadline)
{
    if (done())
        return true;
    line::EventWait wait;
    wait.wakeOn(&m_socket, &QTcpSocket::readyRead);
    wait.wakeOn(&m_socket, &QTcpSocket::bytesWritten);
    wait.wakeOn(&m_socket, &QTcpSocket::stateChanged);
    wait.wakeOn(&m_socket, &QTcpSocket::errorOccurred);
    return wait.until(done, deadline);
}

QByteArray Rfc2217Line::decode(const QByteArray& received)
{
    const Decoded decoded = m_decoder.feed(received);
    for (const TelnetEvent& event : decoded.events) {
        if (event.kind == TelnetEvent::Kind::Negotiation) {
            const QByteArray reply = m_options.answer(event.code, event.option);
            if (!reply.isEmpty())
                send(reply);
        } else if (event.kind == TelnetEvent::Kind::Subnegotiation && event.option == telnet::kComPortOption
                   && m_confirmation) {
            if (const std::optional<ComPortAnswer> answer = comPortAnswer(event.payload)) {
                m_confirmation->take(*answer);
                if (answer->command == comport::kSetBaudRate)
                    m_rateAnswered = true;
            }
        }
    }
    return decoded.data;
}

std::optional<line::OpenFault> Rfc2217Line::negotiate(const QDeadlineTimer& deadline)
{
    const auto closed = [this] {
        return openFault(line::OpenFailure::ClosedByServer, QStringLiteral("the server closed the connection"));
    };
    send(m_options.opening());
    // Settings sent before the server has taken up the option would be ignored.
    const bool decided = waitUntil(
        [this] { return !connected() || m_options.comPortAccepted() || m_options.comPortRefused(); }, deadline);
    if (!connected())
        return closed();
    if (!decided)
        return openFault(line::OpenFailure::SettingsUnanswered,
                         QStringLiteral("the server did not take up the com port option in time"));
    if (m_options.comPortRefused())
        return openFault(line::OpenFailure::NotADeviceServer, QStringLiteral("the server refused the com port option"));

    m_confirmation.emplace(m_settings);
    send(lineSettingsRequest(m_settings));
    const bool answered = waitUntil(
        [this] { return !connected() || m_confirmation->complete() || m_confirmation->mismatch(); }, deadline);
    if (!connected())
        return closed();
    if (const std::optional<QString> mismatch = m_confirmation->mismatch())
        return openFault(line::OpenFailure::NotADeviceServer, QStringLiteral("the server set %1").arg(*mismatch));
    if (!answered)
        return openFault(line::OpenFailure::SettingsUnanswered,
                         QStringLiteral("the server did not answer the line settings in time"));
    return std::nullopt;
}

bool Rfc2217Line::confirmRead(const QDeadlineTimer& deadline)
{
    m_rateAnswered = false;
    send(baudRateQuery());
    return waitUntil([this] { return !isOpen() || m_rateAnswered; }, deadline) && isOpen();
}

} // namespace net
