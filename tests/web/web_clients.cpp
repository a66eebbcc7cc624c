#include "web_clients.h"

#include <QJsonDocument>
#include <QTest>

namespace webtest {

namespace {

qsizetype headEnd(const QByteArray& bytes)
{
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    return end < 0 ? -1 : end + 4;
}

QByteArray headerIn(const QByteArray& head, const QByteArray& name)
{
    for (const QByteArray& line : head.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

int statusIn(const QByteArray& head)
{
    // "HTTP/1.1 413 Payload Too Large"
    const QList<QByteArray> words = head.left(head.indexOf('\r')).split(' ');
    return words.size() >= 2 ? words[1].toInt() : 0;
}

} // namespace

RawConnection::RawConnection(quint16 port, const QHostAddress& from)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, [this] { m_received += m_socket.readAll(); });
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] { m_closed = true; });
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (m_socket.state() == QAbstractSocket::UnconnectedState)
            m_closed = true;
    });
    if (!from.isNull())
        m_socket.bind(from);
    m_socket.connectToHost(QHostAddress::LocalHost, port);
}

void RawConnection::write(const QByteArray& bytes)
{
    m_socket.write(bytes);
}

bool RawConnection::answered() const
{
    const qsizetype end = headEnd(m_received);
    if (end < 0)
        return false;
    return m_received.size() - end >= headerIn(m_received.left(end), "Content-Length").toLongLong();
}

bool RawConnection::waitForAnswer(int timeoutMs)
{
    return QTest::qWaitFor([this] { return answered() || m_closed; }, timeoutMs);
}

bool RawConnection::waitForClose(int timeoutMs)
{
    return QTest::qWaitFor([this] { return m_closed; }, timeoutMs);
}

RawAnswer RawConnection::answer() const
{
    const qsizetype end = headEnd(m_received);
    if (end < 0)
        return {};
    const QByteArray head = m_received.left(end);
    return {statusIn(head), head, m_received.mid(end)};
}

RawAnswer rawExchange(quint16 port, const QByteArray& request)
{
    RawConnection connection(port);
    connection.write(request);
    return connection.waitForAnswer() ? connection.answer() : RawAnswer();
}

QByteArray CurlAnswer::header(const QByteArray& name) const
{
    return headerIn(head, name);
}

QJsonObject CurlAnswer::json() const
{
    return QJsonDocument::fromJson(body).object();
}

Curl::Curl(quint16 port, const QString& path, const QStringList& arguments, const QString& scheme)
{
    m_process.setProgram(QStringLiteral("curl"));
    m_process.setArguments(QStringList{QStringLiteral("--silent"), QStringLiteral("--show-error"),
                                       QStringLiteral("--max-time"), QString::number(kWaitMs / 1000),
                                       QStringLiteral("--dump-header"), m_dir.filePath(QStringLiteral("head")),
                                       QStringLiteral("--output"), m_dir.filePath(QStringLiteral("body")),
                                       QStringLiteral("%1://127.0.0.1:%2%3").arg(scheme).arg(port).arg(path)}
                           + arguments);
    m_process.start();
}

CurlAnswer Curl::finish()
{
    CurlAnswer answer;
    // The server answers from this thread's event loop, so the wait must keep it running.
    if (!QTest::qWaitFor([this] { return !running(); }, kWaitMs + 5000))
        return answer;
    QFile head(m_dir.filePath(QStringLiteral("head")));
    if (head.open(QIODevice::ReadOnly)) {
        // The last of the answers (after a "100 Continue").
        for (const QByteArray& line : head.readAll().split('\n')) {
            if (line.startsWith("HTTP/"))
                answer.head.clear();
            answer.head += line + '\n';
        }
        answer.status = statusIn(answer.head);
    }
    QFile body(m_dir.filePath(QStringLiteral("body")));
    if (body.open(QIODevice::ReadOnly))
        answer.body = body.readAll();
    return answer;
}

CurlAnswer curl(quint16 port, const QString& path, const QStringList& arguments, const QString& scheme)
{
    return Curl(port, path, arguments, scheme).finish();
}

QStringList jsonRequest(const QString& method, const QByteArray& body)
{
    return {QStringLiteral("-X"), method, QStringLiteral("-H"), QStringLiteral("Content-Type: application/json"),
            QStringLiteral("--data-binary"), QString::fromUtf8(body)};
}

} // namespace webtest
