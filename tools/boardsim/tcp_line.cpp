#include "tcp_line.h"

#include <QTcpSocket>

namespace boardsim {

TcpLine::TcpLine(QObject* parent)
    : Line(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &TcpLine::takeConnection);
}

QString TcpLine::listen(const QHostAddress& host, quint16 port)
{
    if (!m_server.listen(host, port))
        return QStringLiteral("cannot listen on %1 port %2: %3").arg(host.toString()).arg(port).arg(m_server.errorString());
    return {};
}

QString TcpLine::address() const
{
    const QHostAddress host = m_server.serverAddress();
    const QString text = host.protocol() == QAbstractSocket::IPv6Protocol ? QStringLiteral("[%1]").arg(host.toString())
                                                                            : host.toString();
    return QStringLiteral("%1:%2").arg(text).arg(m_server.serverPort());
}

void TcpLine::takeConnection()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        if (m_client) {
            // One cable, one program: a second client would mix its frames into the first one's.
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_client = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { emit received(socket->readAll()); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (m_client == socket)
                m_client = nullptr;
            socket->deleteLater();
        });
    }
}

bool TcpLine::send(const QByteArray& bytes)
{
    if (!m_client || m_client->state() != QAbstractSocket::ConnectedState)
        return false;
    return m_client->write(bytes) == bytes.size();
}

} // namespace boardsim
