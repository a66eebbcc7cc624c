#include "web/http_server.h"

#include "web/daemon_watch.h"
#include "web/web_text.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QTimer>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unordered_map>
#include <unordered_set>
#include <utility>

Q_LOGGING_CATEGORY(lcHttpServer, "vorfjp.web.http", QtWarningMsg)

namespace web {

// One request between the moment the library has all of it and the moment its answer is queued.
// The request's state in the library owns it, and so does every responder made for it.
struct HttpExchange {
    HttpServer::Private* server = nullptr; // null once the request or the server is gone
    MHD_Connection* connection = nullptr;
    std::optional<HttpResponse> answer;
    bool suspended = false; // the library leaves the connection alone until resumed
};

namespace {

// What the library keeps for one request (its "con_cls"), from the first call of the access
// handler to the request's completion.
struct RequestState {
    std::shared_ptr<HttpExchange> exchange;
    QByteArray body;
    std::optional<Refusal> refusal; // answered by the server itself; the body is not wanted
    bool refusalQueued = false;     // that answer is queued already
    bool handedOn = false;          // the handler has it, or is about to
};

// What the request-line callback leaves for the access handler of a request whose target holds
// an encoded NUL: the library decodes the path into a C string, so the handler would only see
// the part before it. Only its address matters.
char nulInPath;

// Whether the raw target's path (before any query) holds "%00".
bool hasEncodedNul(QByteArrayView target)
{
    const qsizetype query = target.indexOf('?');
    const QByteArrayView path = query < 0 ? target : target.first(query);
    for (qsizetype at = path.indexOf('%'); at >= 0 && at + 2 < path.size(); at = path.indexOf('%', at + 1)) {
        if (path[at + 1] == '0' && path[at + 2] == '0')
            return true;
    }
    return false;
}

MHD_Result countField(void* cls, MHD_ValueKind, const char* key, size_t keySize, const char*, size_t)
{
    auto* counted = static_cast<std::pair<QByteArrayView, int>*>(cls);
    if (QByteArrayView(key, qsizetype(keySize)).compare(counted->first, Qt::CaseInsensitive) == 0)
        ++counted->second;
    return MHD_YES;
}

int fieldCount(MHD_Connection* connection, QByteArrayView name)
{
    std::pair<QByteArrayView, int> counted {name, 0};
    MHD_get_connection_values_n(connection, MHD_HEADER_KIND, &countField, &counted);
    return counted.second;
}

// An absolute-form target ("http://board.lan:8417/api/status", RFC 9112 3.2.2): its authority
// and its path ("/" when it has none). Nothing for the usual origin form ("/api/status").
std::optional<std::pair<QByteArray, QByteArray>> absoluteTarget(const QByteArray& target)
{
    for (const QByteArrayView scheme : {QByteArrayView("http://"), QByteArrayView("https://")}) {
        if (target.size() < scheme.size() || QByteArrayView(target).first(scheme.size()).compare(scheme, Qt::CaseInsensitive) != 0)
            continue;
        const QByteArray rest = target.mid(scheme.size());
        const qsizetype slash = rest.indexOf('/');
        if (slash < 0)
            return std::pair {rest, QByteArray("/")};
        return std::pair {rest.left(slash), rest.mid(slash)};
    }
    return std::nullopt;
}

// The client's address as the last proxy saw it: the last entry of the last X-Forwarded-For.
std::optional<QHostAddress> forwardedFor(const HttpFields& headers)
{
    std::optional<QByteArray> last;
    for (const auto& [name, value] : headers) {
        if (QByteArrayView(name).compare("X-Forwarded-For", Qt::CaseInsensitive) == 0)
            last = value;
    }
    if (!last)
        return std::nullopt;
    QByteArray hop = last->mid(last->lastIndexOf(',') + 1).trimmed();
    if (hop.startsWith('[') && hop.endsWith(']'))
        hop = hop.mid(1, hop.size() - 2);
    QHostAddress address;
    if (!address.setAddress(QString::fromLatin1(hop)))
        return std::nullopt;
    return address;
}

MHD_Result collectField(void* cls, MHD_ValueKind, const char* key, size_t keySize, const char* value, size_t valueSize)
{
    auto* fields = static_cast<HttpFields*>(cls);
    fields->append({QByteArray(key, qsizetype(keySize)),
                    value ? QByteArray(value, qsizetype(valueSize)) : QByteArray()});
    return MHD_YES;
}

HttpFields fieldsOf(MHD_Connection* connection, MHD_ValueKind kind)
{
    HttpFields fields;
    MHD_get_connection_values_n(connection, kind, &collectField, &fields);
    return fields;
}

} // namespace

struct HttpServer::Private {
    Private(HttpServer* owner, const HttpLimits& limits, Handler handler, RefusalAnswer refusalAnswer)
        : q(owner), limits(limits), handler(std::move(handler)), refusalAnswer(std::move(refusalAnswer))
    {
    }

    HttpServer* q;
    const HttpLimits limits;
    const Handler handler;
    const RefusalAnswer refusalAnswer;
    MHD_Daemon* daemon = nullptr;
    DaemonWatch* watch = nullptr;
    QTimer runTimer;      // the library's own timeouts, and a run soon after a resume
    QTimer deadlineTimer; // the nearest request deadline
    QString error;
    bool running = false;
    bool runAgain = false;
    bool stopping = false;
    std::optional<QHostAddress> proxy;
    bool tls = false;
    TlsCredentials tlsCredentials; // the library reads them while it runs

    struct Connection {
        QHostAddress address;
        // When its next request must be in whole; none while a request is with the handler or
        // its answer is being sent.
        std::optional<QDeadlineTimer> deadline;
        bool closing = false; // its socket is shut; the library closes it at its next run
    };
    // Every open connection.
    std::unordered_map<MHD_Connection*, Connection> connections;
    std::unordered_set<HttpExchange*> suspended;

    // Runs the library until it has nothing left to do now, then sets the timer for its next
    // timeout. Never re-entered: a call from inside one is folded into it.
    void run()
    {
        if (running) {
            runAgain = true;
            return;
        }
        running = true;
        do {
            runAgain = false;
            MHD_run(daemon);
        } while (runAgain);
        running = false;
        keepWithinLimits();
        MHD_UNSIGNED_LONG_LONG timeoutMs = 0;
        if (MHD_get_timeout(daemon, &timeoutMs) == MHD_YES)
            runTimer.start(int(std::min<MHD_UNSIGNED_LONG_LONG>(timeoutMs, std::numeric_limits<int>::max())));
        else
            runTimer.stop();
        if (watch)
            watch->refresh();
    }

    void armDeadline(MHD_Connection* connection)
    {
        const auto found = connections.find(connection);
        if (found == connections.end() || found->second.closing)
            return;
        found->second.deadline = QDeadlineTimer(limits.requestDeadline);
        scheduleDeadlines();
    }

    void disarmDeadline(MHD_Connection* connection)
    {
        const auto found = connections.find(connection);
        if (found != connections.end())
            found->second.deadline.reset();
    }

    void scheduleDeadlines()
    {
        std::optional<qint64> nearest;
        for (const auto& [connection, open] : connections) {
            if (open.deadline)
                nearest = std::min(nearest.value_or(std::numeric_limits<qint64>::max()), open.deadline->remainingTime());
        }
        if (nearest)
            deadlineTimer.start(int(std::min<qint64>(*nearest, std::numeric_limits<int>::max())));
        else
            deadlineTimer.stop();
    }

    // Shuts the connection's socket. The library sees the end of the stream at its next run and
    // closes the connection in its own way; the descriptor stays the library's, so it cannot be
    // reused under it.
    void shut(MHD_Connection* connection, Connection& open)
    {
        open.deadline.reset();
        open.closing = true;
        if (const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD))
            DaemonWatch::shutdownSocket(info->connect_fd);
        runTimer.start(0);
    }

    void closeLateConnections()
    {
        for (auto& [connection, open] : connections) {
            if (open.deadline && open.deadline->hasExpired())
                shut(connection, open);
        }
        scheduleDeadlines();
    }

    // Closes the connection that has waited longest for a whole request among those that
    // counts() takes; false when none of them is waiting.
    template <typename Counts>
    bool closeLongestWaiting(Counts counts)
    {
        std::pair<MHD_Connection* const, Connection>* longest = nullptr;
        for (auto& entry : connections) {
            const std::optional<QDeadlineTimer>& deadline = entry.second.deadline;
            if (entry.second.closing || !deadline || !counts(entry.second))
                continue;
            if (!longest || deadline->deadlineNSecs() < longest->second.deadline->deadlineNSecs())
                longest = &entry;
        }
        if (longest)
            shut(longest->first, longest->second);
        return longest != nullptr;
    }

    // Brings the table back within its limits once the library has run: by then every request
    // that came whole with its connection is with the handler, out of reach, and the ones that
    // go are those still waiting, the longest waiting first (a newcomer only when no other
    // waits). Connections busy with a request stay even over a limit.
    void keepWithinLimits()
    {
        QHash<QHostAddress, unsigned> fromAddress;
        unsigned open = 0;
        for (const auto& [connection, one] : connections) {
            if (one.closing)
                continue;
            ++open;
            if (!proxy || one.address != *proxy)
                ++fromAddress[one.address];
        }
        for (auto it = fromAddress.cbegin(); it != fromAddress.cend(); ++it) {
            const QHostAddress& address = it.key();
            for (unsigned count = it.value(); count > limits.connectionsPerAddress; --count, --open) {
                if (!closeLongestWaiting([&address](const Connection& one) { return one.address == address; }))
                    break;
            }
        }
        for (; open > limits.connections; --open) {
            if (!closeLongestWaiting([](const Connection&) { return true; }))
                break;
        }
    }

    void admit(MHD_Connection* connection)
    {
        Connection& open = connections[connection];
        if (const MHD_ConnectionInfo* client = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
            client && client->client_addr)
            open.address = QHostAddress(client->client_addr);
        open.deadline = QDeadlineTimer(limits.requestDeadline);
        scheduleDeadlines();
    }

    std::optional<Refusal> refusalOfHead(MHD_Connection* connection, const char* version) const
    {
        const MHD_ConnectionInfo* head = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_REQUEST_HEADER_SIZE);
        if (head && head->header_size > size_t(limits.maxHeaderBytes))
            return Refusal::HeadersTooLarge;
        // Which of two counts differs between the parts of a chain, so neither may; the
        // library, lenient about the rest, lets a missing Host through to be answered here.
        const int hosts = fieldCount(connection, "Host");
        if (hosts > 1 || fieldCount(connection, "Origin") > 1
            || (hosts == 0 && QByteArrayView(version) == MHD_HTTP_VERSION_1_1))
            return Refusal::Malformed;
        const char* coding = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_TRANSFER_ENCODING);
        if (coding && QByteArrayView(coding).trimmed().compare("chunked", Qt::CaseInsensitive) != 0)
            return Refusal::UnknownTransferCoding;
        // The library has checked that a Content-Length is a number before it calls the handler.
        const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
        if (length && QByteArray(length).toULongLong() > quint64(limits.maxBodyBytes))
            return Refusal::BodyTooLarge;
        return std::nullopt;
    }

    static MHD_Result queue(MHD_Connection* connection, const HttpResponse& answer)
    {
        MHD_Response* response = MHD_create_response_from_buffer(size_t(answer.body.size()),
                                                                 const_cast<char*>(answer.body.constData()),
                                                                 MHD_RESPMEM_MUST_COPY);
        if (!response)
            return MHD_NO;
        for (const auto& [name, value] : answer.headers)
            MHD_add_response_header(response, name.constData(), value.constData());
        const MHD_Result queued = MHD_queue_response(connection, unsigned(answer.status), response);
        MHD_destroy_response(response);
        return queued;
    }

    HttpRequest requestOf(MHD_Connection* connection, const char* url, const char* method, QByteArray body) const
    {
        HttpRequest request;
        request.method = method;
        request.path = url;
        request.query = fieldsOf(connection, MHD_GET_ARGUMENT_KIND);
        request.headers = fieldsOf(connection, MHD_HEADER_KIND);
        request.cookies = fieldsOf(connection, MHD_COOKIE_KIND);
        request.body = std::move(body);
        request.secure = tls;
        if (const auto absolute = absoluteTarget(request.path)) {
            // The target's authority replaces any Host field (RFC 9112 3.2.2).
            request.headers.removeIf([](const auto& field) { return field.first.compare("Host", Qt::CaseInsensitive) == 0; });
            request.headers.append({QByteArray("Host"), absolute->first});
            request.path = absolute->second;
        }
        const MHD_ConnectionInfo* client = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
        if (client && client->client_addr)
            request.peer = QHostAddress(client->client_addr);
        if (proxy && request.peer == *proxy) {
            if (const std::optional<QHostAddress> forwarded = forwardedFor(request.headers))
                request.peer = *forwarded;
        }
        return request;
    }

    // Suspends the connection and hands the request to the handler from the event loop, outside
    // the library's run, so that the handler may itself let the event loop run.
    void handOn(RequestState& state, HttpRequest request)
    {
        HttpExchange* exchange = state.exchange.get();
        state.handedOn = true;
        exchange->suspended = true;
        suspended.insert(exchange);
        MHD_suspend_connection(exchange->connection);
        QMetaObject::invokeMethod(
            q,
            [shared = state.exchange, request = std::move(request)] {
                if (shared->server)
                    shared->server->handler(request, HttpResponder(shared));
            },
            Qt::QueuedConnection);
    }

    void resume(HttpExchange& exchange)
    {
        exchange.suspended = false;
        suspended.erase(&exchange);
        MHD_resume_connection(exchange.connection);
        runTimer.start(0);
    }

    // The library's request-line callback, before the head is parsed: marks a target with an
    // encoded NUL, which the access handler could not tell from the part before it.
    static void* onTarget(void*, const char* target, MHD_Connection*)
    {
        return hasEncodedNul(target) ? &nulInPath : nullptr;
    }

    // The library's access handler: called once when the head is in, once for each piece of the
    // body, and then (again after every resume) with no more body.
    static MHD_Result onRequest(void* cls, MHD_Connection* connection, const char* url, const char* method,
                                const char* version, const char* uploadData, size_t* uploadSize, void** context)
    {
        auto* d = static_cast<Private*>(cls);
        if (!*context || *context == &nulInPath) {
            auto* state = new RequestState;
            state->exchange = std::make_shared<HttpExchange>();
            state->exchange->server = d;
            state->exchange->connection = connection;
            state->refusal = *context == &nulInPath ? std::optional(Refusal::Malformed) : d->refusalOfHead(connection, version);
            *context = state;
            if (state->refusal) {
                // Answered before the body, which is then not read.
                state->refusalQueued = true;
                return queue(connection, d->refusalAnswer(*state->refusal));
            }
            return MHD_YES;
        }
        auto* state = static_cast<RequestState*>(*context);
        if (*uploadSize != 0) {
            const qsizetype piece = qsizetype(*uploadSize);
            *uploadSize = 0;
            if (state->refusal)
                return MHD_YES;
            if (state->body.size() + piece > d->limits.maxBodyBytes) {
                // A chunked body grew past the limit. The library takes no answer in the middle
                // of a body: the rest is read and thrown away, within the request's deadline, and
                // answered at its end.
                state->refusal = Refusal::BodyTooLarge;
                state->body.clear();
                return MHD_YES;
            }
            state->body.append(uploadData, piece);
            return MHD_YES;
        }
        if (state->refusal) {
            if (std::exchange(state->refusalQueued, true))
                return MHD_YES;
            return queue(connection, d->refusalAnswer(*state->refusal));
        }
        HttpExchange& exchange = *state->exchange;
        if (exchange.answer)
            return queue(connection, *exchange.answer);
        if (state->handedOn || d->stopping)
            return MHD_NO; // resumed without an answer: the server is closing
        d->disarmDeadline(connection);
        d->handOn(*state, d->requestOf(connection, url, method, std::move(state->body)));
        return MHD_YES;
    }

    static void onCompleted(void* cls, MHD_Connection* connection, void** context, MHD_RequestTerminationCode)
    {
        auto* d = static_cast<Private*>(cls);
        auto* state = *context == &nulInPath ? nullptr : static_cast<RequestState*>(*context);
        *context = nullptr;
        if (state) {
            state->exchange->server = nullptr;
            d->suspended.erase(state->exchange.get());
            delete state;
        }
        // A kept-alive connection now waits for its next request, which gets a deadline of its own.
        if (!d->stopping)
            d->armDeadline(connection);
    }

    static void onConnection(void* cls, MHD_Connection* connection, void**, MHD_ConnectionNotificationCode code)
    {
        auto* d = static_cast<Private*>(cls);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            d->admit(connection);
        } else {
            d->connections.erase(connection);
            d->scheduleDeadlines();
            // At the connection limit the library stops accepting; it starts again at its next
            // run, which its own timeout would put off until some other connection idles out.
            d->runAgain = true;
        }
    }

    static void onLog(void* cls, const char* format, va_list arguments)
    {
        auto* d = static_cast<Private*>(cls);
        char text[512];
        std::vsnprintf(text, sizeof text, format, arguments);
        d->error = QString::fromLocal8Bit(text).trimmed();
        qCDebug(lcHttpServer, "%s", text);
    }
};

HttpResponder::HttpResponder(std::shared_ptr<HttpExchange> exchange) : m_exchange(std::move(exchange)) {}

void HttpResponder::respond(HttpResponse response) const
{
    HttpExchange& exchange = *m_exchange;
    if (!exchange.server || exchange.answer)
        return;
    exchange.answer = std::move(response);
    if (exchange.suspended)
        exchange.server->resume(exchange);
}

HttpServer::HttpServer(const HttpLimits& limits, Handler handler, RefusalAnswer refusalAnswer, QObject* parent)
    : QObject(parent), d(std::make_unique<Private>(this, limits, std::move(handler), std::move(refusalAnswer)))
{
    d->runTimer.setSingleShot(true);
    d->deadlineTimer.setSingleShot(true);
    connect(&d->runTimer, &QTimer::timeout, this, [this] { d->run(); });
    connect(&d->deadlineTimer, &QTimer::timeout, this, [this] { d->closeLateConnections(); });
}

HttpServer::~HttpServer()
{
    if (!d->daemon)
        return;
    // The library may not stop with suspended connections: resume each, to be closed unanswered.
    d->stopping = true;
    for (HttpExchange* exchange : std::unordered_set<HttpExchange*>(d->suspended)) {
        exchange->suspended = false;
        MHD_resume_connection(exchange->connection);
    }
    d->suspended.clear();
    delete d->watch;
    MHD_stop_daemon(d->daemon);
}

void HttpServer::trustProxy(const QHostAddress& proxy)
{
    d->proxy = proxy;
}

bool HttpServer::listen(const QHostAddress& address, quint16 port, const std::optional<TlsCredentials>& tls)
{
    sockaddr_in v4 {};
    sockaddr_in6 v6 {};
    const sockaddr* bound = nullptr;
    unsigned flags = DaemonWatch::daemonFlags() | MHD_ALLOW_SUSPEND_RESUME | MHD_USE_ERROR_LOG;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        v4.sin_addr.s_addr = htonl(address.toIPv4Address());
        bound = reinterpret_cast<const sockaddr*>(&v4);
    } else if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&v6.sin6_addr, bytes.c, sizeof bytes.c);
        bound = reinterpret_cast<const sockaddr*>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        d->error = WebText::tr("%1 is not an IPv4 or IPv6 address.").arg(address.toString());
        return false;
    }
    if (tls) {
        if (MHD_is_feature_supported(MHD_FEATURE_TLS) != MHD_YES) {
            d->error = WebText::tr("This computer's libmicrohttpd is built without TLS.");
            return false;
        }
        flags |= MHD_USE_TLS;
        d->tls = true;
        // The library takes C strings and reads them while it runs.
        d->tlsCredentials = *tls;
    }

    // The head is parsed inside the connection's memory pool, which also holds the parsed
    // fields and the answer's head: room for twice the largest head we accept, so that every
    // head over it reaches the handler's own check and gets 431 from it, and only far larger
    // ones are refused by the library (also with 431).
    const size_t memoryLimit = size_t(d->limits.maxHeaderBytes) * 2 + 16 * 1024;
    // The library takes every connection it can, up to twice the table, so that admit() decides
    // which ones stay; those it shuts are gone at the library's next run.
    const unsigned libraryLimit = d->limits.connections * 2 + 16;
    const MHD_OptionItem tlsOptions[] = {
        {MHD_OPTION_HTTPS_MEM_CERT, 0, const_cast<char*>(d->tlsCredentials.certificatePem.constData())},
        {MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char*>(d->tlsCredentials.keyPem.constData())},
        {MHD_OPTION_END, 0, nullptr},
    };
    const MHD_OptionItem noOptions[] = {{MHD_OPTION_END, 0, nullptr}};
    d->daemon = MHD_start_daemon(
        flags, port, nullptr, nullptr, &Private::onRequest, d.get(),
        MHD_OPTION_SOCK_ADDR, bound,
        MHD_OPTION_CONNECTION_LIMIT, libraryLimit,
        MHD_OPTION_CONNECTION_TIMEOUT, unsigned(d->limits.idleTimeout.count()),
        MHD_OPTION_CONNECTION_MEMORY_LIMIT, memoryLimit,
        // Lenient about a missing Host, which refusalOfHead() answers with one status line: the
        // library's own 400 for it repeats its status line.
        MHD_OPTION_STRICT_FOR_CLIENT, int(0),
        MHD_OPTION_URI_LOG_CALLBACK, &Private::onTarget, d.get(),
        MHD_OPTION_NOTIFY_COMPLETED, &Private::onCompleted, d.get(),
        MHD_OPTION_NOTIFY_CONNECTION, &Private::onConnection, d.get(),
        MHD_OPTION_EXTERNAL_LOGGER, &Private::onLog, d.get(),
        MHD_OPTION_ARRAY, d->tls ? tlsOptions : noOptions,
        MHD_OPTION_END);
    if (!d->daemon) {
        if (d->error.isEmpty())
            d->error = WebText::tr("Cannot listen on %1 port %2.").arg(address.toString()).arg(port);
        return false;
    }
    d->watch = new DaemonWatch(d->daemon, this);
    connect(d->watch, &DaemonWatch::ready, this, [this] { d->run(); });
    d->run();
    return true;
}

quint16 HttpServer::port() const
{
    if (!d->daemon)
        return 0;
    const MHD_DaemonInfo* info = MHD_get_daemon_info(d->daemon, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : 0;
}

QString HttpServer::errorString() const
{
    return d->error;
}

} // namespace web
