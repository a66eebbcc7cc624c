#pragma once
// Clients for the HTTP tests, on 127.0.0.1 only: curl, a real client, for everything a client
// may well send; and a raw socket for what no well-behaved client sends (oversized heads, a
// trickle of bytes, hundreds of connections). Both wait for events, each up to kWaitMs.
#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace webtest {

// The longest a test waits for any one thing to happen; reached only when it fails.
inline constexpr int kWaitMs = 30000;

// What came back on one connection: the answer's status (0: no answer), head and body.
struct RawAnswer {
    int status = 0;
    QByteArray head;
    QByteArray body;
};

class RawConnection : public QObject {
public:
    // Connects to 127.0.0.1:port, from the local address from when it is given (127.0.0.2 is a
    // second client address on the loopback interface).
    explicit RawConnection(quint16 port, const QHostAddress& from = QHostAddress());

    void write(const QByteArray& bytes);
    // Waits until a whole answer is in (its Content-Length read) or the connection has ended.
    bool waitForAnswer(int timeoutMs = kWaitMs);
    // Waits until the server has closed the connection.
    bool waitForClose(int timeoutMs = kWaitMs);
    bool answered() const;
    bool closed() const { return m_closed; }
    RawAnswer answer() const;
    QTcpSocket& socket() { return m_socket; }

private:
    QTcpSocket m_socket;
    QByteArray m_received;
    bool m_closed = false;
};

// One request on a fresh connection, and its answer.
RawAnswer rawExchange(quint16 port, const QByteArray& request);

struct CurlAnswer {
    int status = 0; // 0: curl got no answer
    QByteArray head; // of the last answer
    QByteArray body;
    QByteArray header(const QByteArray& name) const; // the first such header's value, empty if none
    QJsonObject json() const;
};

// curl http://127.0.0.1:port<path> (https:// with scheme "https") with the given further
// arguments, running while the test does other things; finish() waits for its answer.
class Curl {
public:
    Curl(quint16 port, const QString& path, const QStringList& arguments = {},
         const QString& scheme = QStringLiteral("http"));
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    CurlAnswer finish();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
};

// The same, waiting for the answer.
CurlAnswer curl(quint16 port, const QString& path, const QStringList& arguments = {},
                const QString& scheme = QStringLiteral("http"));

// The arguments for a request with a JSON body.
QStringList jsonRequest(const QString& method, const QByteArray& body);

} // namespace webtest
