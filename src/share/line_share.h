#pragma once
// The window's side of the local socket: while the window holds the port that another program
// of the same user asks for, that program's frames go out through the window's open port, one
// whole frame per write, so they never interleave with the window's own. An answer to a
// connection test sent this way goes back to that program and shows nothing in the window.
#include "share/line_message.h"

#include <QObject>
#include <QString>

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

signals:
    // A frame of another program could not be written: the link has closed the port.
    void sendFailed(const QString& reason);

private:
    void accept();
    void readFrom(QLocalSocket* socket);
    void handle(QLocalSocket* socket, const LineRequest& request);
    void awaitAnswer(QLocalSocket* socket, int timeoutMs);

    boardlink::BoardLink& m_link;
    QLocalServer* m_server;
    bool m_answerAwaited = false;
};

} // namespace share
