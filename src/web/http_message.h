#pragma once
// The plain values that pass between the HTTP server and the request handling: a request as the
// HTTP library handed it over, the answer to send, and the sizes every request is held to.
// Nothing here reads HTTP: the library has split the request into these fields already.
#include <QByteArray>
#include <QByteArrayView>
#include <QHostAddress>
#include <QList>
#include <QPair>

#include <optional>

namespace web {

// The largest body a request may carry: a whole board content fits many times over.
inline constexpr qsizetype kMaxBodyBytes = 64 * 1024;
// The largest request line plus header fields, as the HTTP library counts them.
inline constexpr qsizetype kMaxHeaderBytes = 16 * 1024;

// Name and value pairs in the order they came, e.g. {"Content-Type", "application/json"}.
using HttpFields = QList<QPair<QByteArray, QByteArray>>;

struct HttpRequest {
    QByteArray method;  // as sent: "GET", "PATCH"
    QByteArray path;    // percent-decoded, without the query: "/api/send/test"
    HttpFields query;   // the query's arguments, decoded
    HttpFields headers; // names as sent
    HttpFields cookies; // the Cookie header's name=value pairs
    QByteArray body;
    QHostAddress peer;   // the client: the connection's far end, or as a trusted proxy names it
    bool secure = false; // came over TLS

    // The value of the first header whose name equals name without regard to case
    // (header("content-type") finds "Content-Type"); nothing when there is none.
    std::optional<QByteArray> header(QByteArrayView name) const;
    // The value of the first cookie named exactly name.
    std::optional<QByteArray> cookie(QByteArrayView name) const;
};

struct HttpResponse {
    int status = 500;
    HttpFields headers;
    QByteArray body;
};

// Why the server answered a request itself, without handing it on.
enum class Refusal {
    BodyTooLarge,          // its body is over kMaxBodyBytes (413): by Content-Length, unread; chunked, discarded
    HeadersTooLarge,       // request line and headers are over kMaxHeaderBytes (431)
    Malformed,             // two Host or two Origin fields, a NUL in the path, no Host in HTTP/1.1 (400)
    UnknownTransferCoding, // a Transfer-Encoding other than chunked, whose end cannot be found (501)
};

} // namespace web
