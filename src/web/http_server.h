#pragma once
// An HTTP/1.1 server on the Qt event loop, over GNU libmicrohttpd, plain or over TLS: the library
// reads and checks the requests, keeps the connections and writes the answers; this class hands
// each whole request to one handler and its answer back, answers for itself what the library lets
// through but must not be served (see Refusal), and decides which connection makes room for a new
// one when the table is full. No thread is started: the library's sockets are
// watched by the event loop, and the handler runs on the thread that made the server, never
// from inside the library, so it may run a nested event loop while the server goes on serving.
#include "web/http_message.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace web {

// What the server allows a client before it closes the connection or answers for itself.
struct HttpLimits {
    qsizetype maxBodyBytes = kMaxBodyBytes;     // a longer body gets 413, its bytes unread
    qsizetype maxHeaderBytes = kMaxHeaderBytes; // a longer request head gets 431
    // Open at once, in all and from one address. A new connection beyond either is still taken:
    // the one (within that address) that has waited longest for a whole request is closed for
    // it. A connection whose request is with the handler or whose answer is going out is never
    // closed for another; when every one is, the newcomer is closed.
    unsigned connections = 64;
    unsigned connectionsPerAddress = 16; // a trusted proxy is held to the whole table only
    std::chrono::seconds idleTimeout{15};       // a connection with no traffic that long is closed
    // From a connection's start, or the end of its previous answer, to the last byte of the next
    // request: a client that sends too slowly is closed however often it sends a byte.
    std::chrono::milliseconds requestDeadline{20000};
};

// A certificate (chain) and its private key, PEM-encoded, for serving HTTPS.
struct TlsCredentials {
    QByteArray certificatePem;
    QByteArray keyPem;
};

struct HttpExchange;

// Answers one request; copies answer the same request. Only the first respond() counts, and it
// does nothing once the connection or the server is gone, so a late answer is always safe.
class HttpResponder {
public:
    explicit HttpResponder(std::shared_ptr<HttpExchange> exchange);
    void respond(HttpResponse response) const;

private:
    std::shared_ptr<HttpExchange> m_exchange;
};

class HttpServer : public QObject {
    Q_OBJECT
public:
    // Called once for each whole request, from the event loop; answers now or later.
    using Handler = std::function<void(const HttpRequest& request, const HttpResponder& responder)>;
    // The answer to a request the server refused itself.
    using RefusalAnswer = std::function<HttpResponse(Refusal refusal)>;

    HttpServer(const HttpLimits& limits, Handler handler, RefusalAnswer refusalAnswer, QObject* parent = nullptr);
    ~HttpServer() override; // closes every connection; answers not yet given are dropped

    // Requests that come from proxy are taken to be from the last address in their
    // X-Forwarded-For (the one the proxy added), and proxy is held to the whole table only; from
    // any other peer the header means nothing. Call it before listen().
    void trustProxy(const QHostAddress& proxy);

    // Listens on address and port (0: the kernel picks one, see port()), over TLS with tls when
    // it is given: such a listener speaks nothing but TLS. False, with errorString(), when the
    // address cannot be bound or TLS cannot start; call it at most once.
    bool listen(const QHostAddress& address, quint16 port, const std::optional<TlsCredentials>& tls = std::nullopt);
    quint16 port() const;
    QString errorString() const;

private:
    friend struct HttpExchange;
    friend class HttpResponder;
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace web
