#include "net/socket_line.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>

#ifdef Q_OS_WIN
#include <winsock2.h>
#else
#include <sys/socket.h>
#endif

namespace net {

using Protocol = ServerAddress::Protocol;

SocketLine::SocketLine(QObject* parent)
    : QObject(parent)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &SocketLine::readSocket);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, &SocketLine::progressed);
    connect(&m_socket, &QTcpSocket::stateChanged, this, &SocketLine::progressed);
    connect(&m_socket, &QTcpSocket::disconnected, this,
            [this] { handleDisconnect(QStringLiteral("the server closed the connection")); });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError) {
        handleDisconnect(m_socket.errorString());
    });
}

SocketLine::ConnectResult SocketLine::connectTo(const ServerAddress& address, const LineSettings& settings,
                                                std::chrono::milliseconds timeout)
{
    close();
    m_protocol = address.protocol;
    m_decoder = {};
    m_options = {};
    m_confirmation.reset();
    m_settings = settings;
    m_sessionBytes = 0;
    const QDeadlineTimer deadline(timeout);
    m_socket.connectToHost(address.host, address.port);
    const bool settled = waitUntil(
        [this] {
            return m_socket.state() == QAbstractSocket::ConnectedState
                   || m_socket.state() == QAbstractSocket::UnconnectedState;
        },
        deadline);
    if (!settled) {
        m_socket.abort();
        return {Failure::TimedOut, QStringLiteral("no connection within %1 ms").arg(timeout.count())};
    }
    if (m_socket.state() != QAbstractSocket::ConnectedState) {
        const ConnectResult failed = socketFailure();
        m_socket.abort();
        return failed;
    }
    m_socket.setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSendBufferBytes);
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    if (m_protocol == Protocol::Rfc2217) {
        const ConnectResult negotiated = negotiate(settings, deadline);
        if (!negotiated.ok()) {
            m_socket.abort();
            return negotiated;
        }
    }
    m_input.clear();
    m_open = true;
    return ConnectResult::opened();
}

SocketLine::ConnectResult SocketLine::negotiate(const LineSettings& settings, const QDeadlineTimer& deadline)
{
    const auto connected = [this] { return m_socket.state() == QAbstractSocket::ConnectedState; };
    const auto closed = [] { return ConnectResult {Failure::ClosedByServer, QStringLiteral("the server closed the connection")}; };
    m_socket.write(m_options.opening());
    // Settings sent before the server has taken up the option would be ignored.
    const bool decided = waitUntil(
        [&] { return !connected() || m_options.comPortAccepted() || m_options.comPortRefused(); }, deadline);
    if (!connected())
        return closed();
    if (!decided)
        return {Failure::TimedOut, QStringLiteral("the server did not take up the com port option in time")};
    if (m_options.comPortRefused())
        return {Failure::NoComPortOption, QStringLiteral("the server refused the com port option")};

    m_confirmation.emplace(settings);
    m_socket.write(lineSettingsRequest(settings));
    // The answers also show that the server has its serial device open: one that cannot
    // open it hangs up instead of answering.
    const bool answered = waitUntil(
        [&] { return !connected() || m_confirmation->complete() || m_confirmation->mismatch(); }, deadline);
    if (!connected())
        return closed();
    if (const std::optional<QString> mismatch = m_confirmation->mismatch())
        return {Failure::SettingsRefused, QStringLiteral("the server set %1").arg(*mismatch)};
    if (!answered)
        return {Failure::TimedOut, QStringLiteral("the server did not answer the line settings in time")};
    return ConnectResult::opened();
}

SocketLine::ConnectResult SocketLine::socketFailure() const
{
    const QString detail = m_socket.errorString();
    switch (m_socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return {Failure::Refused, detail};
    case QAbstractSocket::HostNotFoundError:
        return {Failure::UnknownHost, detail};
    case QAbstractSocket::SocketTimeoutError:
        return {Failure::TimedOut, detail};
    case QAbstractSocket::RemoteHostClosedError:
        return {Failure::ClosedByServer, detail};
    default:
        return {Failure::Other, detail};
    }
}

void SocketLine::close()
{
    m_open = false;
    m_socket.abort();
    m_input.clear();
}

SocketLine::FinishResult SocketLine::finish(std::chrono::milliseconds timeout)
{
    if (!m_open) {
        close();
        return {FinishOutcome::NotOpen, QStringLiteral("not connected")};
    }
    const QDeadlineTimer deadline(timeout);
    const auto closedEarly = [this] {
        close();
        return FinishResult {FinishOutcome::ClosedByServer,
                             QStringLiteral("the server closed the connection before its line could carry the bytes")};
    };
    if (m_sessionBytes > 0) {
        if (m_protocol == Protocol::Rfc2217) {
            m_queryAnswered = false;
            m_socket.write(baudRateQuery());
            const bool answered = waitUntil([this] { return !m_open || m_queryAnswered; }, deadline);
            if (!m_open)
                return closedEarly();
            if (!answered) {
                close();
                return {FinishOutcome::NotConfirmed,
                        QStringLiteral("no answer within %1 ms to a query sent behind the bytes").arg(timeout.count())};
            }
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
    return {FinishOutcome::Done, {}};
}

std::chrono::milliseconds SocketLine::lineTime(qint64 bytes) const
{
    // A start bit, the data bits, the parity bit if any and the stop bits.
    const qint64 bitsPerByte = 1 + m_settings.dataBits + (m_settings.parity == LineSettings::Parity::None ? 0 : 1)
                               + qint64(m_settings.stopBits);
    const qint64 baud = std::max<qint64>(m_settings.baudRate, 1);
    return std::chrono::milliseconds((bytes * bitsPerByte * 1000 + baud - 1) / baud);
}

void SocketLine::shutdownSending()
{
    m_socket.flush();
#ifdef Q_OS_WIN
    ::shutdown(SOCKET(m_socket.socketDescriptor()), SD_SEND);
#else
    ::shutdown(int(m_socket.socketDescriptor()), SHUT_WR);
#endif
}

SocketLine::WriteResult SocketLine::write(const QByteArray& data, std::chrono::milliseconds timeout)
{
    if (!m_open)
        return {WriteOutcome::NotOpen, QStringLiteral("not connected")};
    m_socket.write(m_protocol == Protocol::Rfc2217 ? escapeData(data) : data);
    m_sessionBytes += data.size();
    m_socket.flush();
    const bool taken = waitUntil([this] { return !m_open || m_socket.bytesToWrite() == 0; }, QDeadlineTimer(timeout));
    if (!m_open)
        return {WriteOutcome::Lost, m_socket.errorString()};
    if (!taken) {
        // Part of a frame is on its way and the rest would follow whenever the
        // peer reads again: the line is of no use until it is connected anew.
        const qint64 left = m_socket.bytesToWrite();
        close();
        return {WriteOutcome::TimedOut,
                QStringLiteral("%1 bytes not taken within %2 ms").arg(left).arg(timeout.count())};
    }
    return {WriteOutcome::Done, {}};
}

QByteArray SocketLine::takeAll()
{
    return std::exchange(m_input, QByteArray());
}

void SocketLine::discardAll()
{
    if (m_socket.state() == QAbstractSocket::ConnectedState)
        readSocket();
    m_input.clear();
}

void SocketLine::readSocket()
{
    const QByteArray bytes = m_socket.readAll();
    if (bytes.isEmpty())
        return;
    if (m_protocol == Protocol::Rfc2217) {
        const Decoded decoded = m_decoder.feed(bytes);
        handleEvents(decoded);
        m_input += decoded.data;
        if (decoded.data.isEmpty()) {
            emit progressed();
            return;
        }
    } else {
        m_input += bytes;
    }
    if (m_waiting)
        m_receivedDuringWait = true;
    else if (m_open)
        emit received();
    emit progressed();
}

void SocketLine::handleEvents(const Decoded& decoded)
{
    for (const TelnetEvent& event : decoded.events) {
        if (event.kind == TelnetEvent::Kind::Negotiation) {
            const QByteArray reply = m_options.answer(event.code, event.option);
            if (!reply.isEmpty())
                m_socket.write(reply);
        } else if (event.kind == TelnetEvent::Kind::Subnegotiation && event.option == telnet::kComPortOption
                   && m_confirmation) {
            if (const std::optional<ComPortAnswer> answer = comPortAnswer(event.payload)) {
                m_confirmation->take(*answer);
                if (answer->command == comport::kSetBaudRate)
                    m_queryAnswered = true;
            }
        }
    }
}

void SocketLine::handleDisconnect(const QString& detail)
{
    if (m_open && m_socket.bytesAvailable() > 0)
        readSocket();
    if (!m_open) {
        emit progressed();
        return;
    }
    m_open = false;
    m_socket.abort();
    emit lost(detail);
    emit progressed();
}

bool SocketLine::waitUntil(const std::function<bool()>& done, const QDeadlineTimer& deadline)
{
    const bool outer = !m_waiting;
    m_waiting = true;
    bool reached = done();
    while (!reached && !deadline.hasExpired()) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        connect(this, &SocketLine::progressed, &loop, &QEventLoop::quit);
        timer.start(std::max<qint64>(deadline.remainingTime(), 0));
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        reached = done();
    }
    if (outer) {
        m_waiting = false;
        if (std::exchange(m_receivedDuringWait, false))
            QMetaObject::invokeMethod(
                this, [this] {
                    if (m_open && !m_input.isEmpty())
                        emit received();
                },
                Qt::QueuedConnection);
    }
    return reached;
}

} // namespace net
