#include "share/line_client.h"

#include "line/event_wait.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

namespace share {

namespace {
constexpr int kConnectMs = 1000;
}

ClientOutcome askWindow(const QString& socketPath, const LineRequest& request, int waitMs)
{
    ClientOutcome outcome;
    const std::optional<QByteArray> message = encodeRequest(request);
    if (!message)
        return outcome;
    QLocalSocket socket;
    line::EventWait wait;
    wait.wakeOn(&socket, &QLocalSocket::connected);
    wait.wakeOn(&socket, &QLocalSocket::readyRead);
    wait.wakeOn(&socket, &QLocalSocket::disconnected);
    wait.wakeOn(&socket, &QLocalSocket::errorOccurred);
    socket.connectToServer(socketPath);
    wait.until([&socket] { return socket.state() != QLocalSocket::ConnectingState; }, QDeadlineTimer(kConnectMs));
    if (socket.state() != QLocalSocket::ConnectedState)
        return outcome;
    outcome.reached = true;
    socket.write(*message);
    QByteArray received;
    Decoded<LineResponse> response;
    wait.until(
        [&] {
            received += socket.readAll();
            response = decodeResponse(received);
            return response.state != Decoded<LineResponse>::State::NeedMore
                   || socket.state() != QLocalSocket::ConnectedState;
        },
        QDeadlineTimer(waitMs));
    if (response.state == Decoded<LineResponse>::State::Done)
        outcome.response = response.value;
    return outcome;
}

} // namespace share
