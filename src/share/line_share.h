#pragma once
// The window's side of the local socket: while the window holds the port that another program
// of the same user asks for, that program's frames go out through the window's open port, one
// whole frame per write, so they never interleave with the window's own. An answer to a
// connection test sent this way goes back to that program and shows nothing in the window.
#include "share/line_message.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <utility>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace boardlink {
class BoardLink;
}

namespace share {

class LineShare : public QObject {
    Q_OBJECT
public:
    LineShare(boardlink::BoardLink& link, QObject* parent = nullptr);

    // Listens at socketPath, accessible to this user only; a socket left there by a run that
    // ended without cleaning up is replaced. False, with errorString(), when it cannot.
    bool listen(const QString& socketPath);
    QString errorString() const;

private:
    void accept();
    void readFrom(QLocalSocket* socket);
    void handle(QLocalSocket* socket, const LineRequest& request);
    void awaitAnswer(QLocalSocket* socket, int timeoutMs);
    void handleWaiting();

    boardlink::BoardLink& m_link;
    // Requests that came while the window's own frame was on its way: they go next, in order.
    std::vector<std::pair<QPointer<QLocalSocket>, LineRequest>> m_waiting;
    QLocalServer* m_server;
    bool m_answerAwaited = false;
};

} // namespace share
