#include "share/line_share.h"

#include "link/board_link.h"
#include "protocol/stream_decoder.h"
#include "share/peer_user.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>

#include <variant>

namespace share {

namespace {

// A client that sends nothing whole within this time is dropped.
constexpr int kRequestDeadlineMs = 5000;
constexpr int kMaxClients = 8;

// Exactly one whole board frame, as the program builds them.
bool isOneFrame(const QByteArray& frame)
{
    return std::holds_alternative<protocol::DecodedFrame>(
        protocol::parseFrame(frame, protocol::FrameShape::Sent, protocol::kLongestProgramFrame));
}

void answer(QLocalSocket* socket, const LineResponse& response)
{
    socket->write(encodeResponse(response));
    socket->disconnectFromServer();
}

} // namespace

LineShare::LineShare(boardlink::BoardLink& link, QObject* parent)
    : QObject(parent), m_link(link), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(kMaxClients);
    connect(m_server, &QLocalServer::newConnection, this, &LineShare::accept);
    connect(&m_link, &boardlink::BoardLink::settled, this, &LineShare::handleWaiting, Qt::QueuedConnection);
}

bool LineShare::listen(const QString& socketPath)
{
    if (m_server->listen(socketPath))
        return true;
    if (m_server->serverError() != QAbstractSocket::AddressInUseError)
        return false;
    // Only one window runs per user, so a socket already there is a leftover.
    QLocalServer::removeServer(socketPath);
    return m_server->listen(socketPath);
}

QString LineShare::errorString() const
{
    return m_server->errorString();
}

void LineShare::accept()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsThisUser(*socket) || findChildren<QLocalSocket*>().size() > kMaxClients) {
            socket->abort();
            continue;
        }
        socket->setParent(this);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        QTimer::singleShot(kRequestDeadlineMs, socket, [socket] {
            if (!socket->property("handled").toBool())
                socket->abort();
        });
    }
}

void LineShare::readFrom(QLocalSocket* socket)
{
    if (socket->property("handled").toBool()) {
        socket->readAll();
        return;
    }
    const QByteArray waiting = socket->peek(socket->bytesAvailable());
    const Decoded<LineRequest> request = decodeRequest(waiting);
    switch (request.state) {
    case Decoded<LineRequest>::State::NeedMore:
        return;
    case Decoded<LineRequest>::State::Malformed:
        socket->setProperty("handled", true);
        answer(socket, {LineStatus::Refused, 0, request.error});
        return;
    case Decoded<LineRequest>::State::Done:
        socket->read(request.consumed);
        socket->setProperty("handled", true);
        handle(socket, request.value);
        return;
    }
}

void LineShare::handleWaiting()
{
    while (!m_waiting.empty() && !m_link.waiting()) {
        auto [socket, request] = m_waiting.front();
        m_waiting.erase(m_waiting.begin());
        if (socket)
            handle(socket, request);
    }
}

void LineShare::handle(QLocalSocket* socket, const LineRequest& request)
{
    // Never mixed into the window's frame on its way: it goes once the line has taken that.
    if (m_link.waiting()) {
        m_waiting.emplace_back(socket, request);
        return;
    }
    if (!m_link.holds(request.portName)) {
        answer(socket, {LineStatus::NotHeld, 0, QString()});
        return;
    }
    if (request.kind == LineKind::AskHeld) {
        answer(socket, {LineStatus::Held, 0, QString()});
        return;
    }
    if (!isOneFrame(request.frame)) {
        answer(socket, {LineStatus::Refused, 0, QStringLiteral("not one whole board frame")});
        return;
    }
    if (request.awaitAnswer && m_answerAwaited) {
        answer(socket, {LineStatus::TestWaiting, 0, QString()});
        return;
    }
    if (request.awaitAnswer)
        m_link.expectAnswer();
    const line::Result<line::WriteFault> sent =
        request.awaitAnswer ? m_link.sendConnectionTest(request.frame) : m_link.send(request.frame);
    if (!sent.ok()) {
        if (request.awaitAnswer)
            m_link.stopExpectingAnswer();
        const line::WriteFault& fault = sent.fault();
        if (fault.why == line::WriteFailure::HungUp || fault.why == line::WriteFailure::ServerLost) {
            answer(socket, {LineStatus::LineLost, 0, fault.detail});
            return;
        }
        answer(socket, {LineStatus::WriteFailed, 0, fault.detail, fault.why, quint32(fault.total),
                        quint32(fault.accepted), quint32(fault.left)});
        return;
    }
    if (!request.awaitAnswer) {
        answer(socket, {LineStatus::Sent, 0, QString()});
        return;
    }
    awaitAnswer(socket, int(qMin<quint32>(request.answerTimeoutMs, 600000)));
}

void LineShare::awaitAnswer(QLocalSocket* socket, int timeoutMs)
{
    m_answerAwaited = true;
    // Lives as long as the client; whichever of answer, loss, timeout or hang-up comes first
    // ends the wait, and the others find it ended.
    auto* waiting = new QObject(socket);
    const QPointer<QLocalSocket> client(socket);
    const auto finish = [this, waiting, client](bool claimMet, const std::optional<LineResponse>& response) {
        if (waiting->property("done").toBool())
            return;
        waiting->setProperty("done", true);
        m_answerAwaited = false;
        if (!claimMet)
            m_link.stopExpectingAnswer();
        if (client && response)
            answer(client, *response);
    };
    connect(&m_link, &boardlink::BoardLink::answerArrived, waiting,
            [finish](int number) { finish(true, LineResponse{LineStatus::Answered, quint8(number), QString()}); });
    connect(&m_link, &boardlink::BoardLink::lineLost, waiting, [finish](const line::LineLoss& loss) {
        finish(false, LineResponse{LineStatus::LineLost, 0, loss.detail});
    });
    QTimer::singleShot(timeoutMs, waiting,
                       [finish] { finish(false, LineResponse{LineStatus::NoAnswer, 0, QString()}); });
    // A client that gives up early withdraws its claim, so the operator's next answer is shown.
    connect(socket, &QLocalSocket::disconnected, waiting, [finish] { finish(false, std::nullopt); });
}

} // namespace share
