#include "share/line_client.h"

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
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(kConnectMs))
        return outcome;
    outcome.reached = true;
    socket.write(*message);
    socket.waitForBytesWritten(kConnectMs);
    const QDeadlineTimer deadline(waitMs);
    QByteArray received;
    while (!deadline.hasExpired()) {
        const Decoded<LineResponse> response = decodeResponse(received);
        if (response.state == Decoded<LineResponse>::State::Done) {
            outcome.response = response.value;
            return outcome;
        }
        if (response.state == Decoded<LineResponse>::State::Malformed)
            return outcome;
        if (socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0)
            return outcome;
        socket.waitForReadyRead(int(qMax<qint64>(deadline.remainingTime(), 1)));
        received += socket.readAll();
    }
    return outcome;
}

} // namespace share
