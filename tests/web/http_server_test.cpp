// The HTTP server over real sockets on 127.0.0.1: what reaches the handler, answers given later
// and while the handler runs a nested event loop, and the limits against hostile clients.
#include "web/http_server.h"
#include "web/tls_certificate.h"
#include "web_clients.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using namespace webtest;
using web::HttpLimits;
using web::HttpRequest;
using web::HttpResponder;
using web::HttpResponse;

QByteArray get(const QByteArray& path, const QByteArray& extraHeaders = {})
{
    return "GET " + path + " HTTP/1.1\r\nHost: test\r\n" + extraHeaders + "\r\n";
}

HttpResponse jsonAnswer(const QJsonObject& object)
{
    return {200, {{"Content-Type", "application/json"}}, QJsonDocument(object).toJson(QJsonDocument::Compact)};
}

class HttpServerTest : public ::testing::Test {
protected:
    void start(const HttpLimits& limits = {}, const std::optional<web::TlsCredentials>& tls = std::nullopt,
               const std::optional<QHostAddress>& proxy = std::nullopt)
    {
        m_server = std::make_unique<web::HttpServer>(
            limits, [this](const HttpRequest& request, const HttpResponder& responder) { handle(request, responder); },
            [](web::Refusal refusal) {
                switch (refusal) {
                case web::Refusal::BodyTooLarge:
                    return HttpResponse{413, {}, "refused"};
                case web::Refusal::HeadersTooLarge:
                    return HttpResponse{431, {}, "refused"};
                case web::Refusal::Malformed:
                    return HttpResponse{400, {}, "refused"};
                case web::Refusal::UnknownTransferCoding:
                    return HttpResponse{501, {}, "refused"};
                }
                return HttpResponse{};
            });
        if (proxy)
            m_server->trustProxy(*proxy);
        ASSERT_TRUE(m_server->listen(QHostAddress(QHostAddress::LocalHost), 0, tls)) << m_server->errorString().toStdString();
        port = m_server->port();
        ASSERT_NE(port, 0);
    }

    // /later is answered when the test says; /nested is answered after a nested event loop;
    // everything else gets what arrived, at once.
    void handle(const HttpRequest& request, const HttpResponder& responder)
    {
        ++handled;
        if (request.path == "/later") {
            waiting.push_back(responder);
            return;
        }
        if (request.path == "/nested") {
            // As the weather send's pause does: wait in a nested event loop, here until another
            // request made meanwhile has been answered in whole.
            RawConnection other(port);
            other.write(get("/other"));
            QEventLoop loop;
            QTimer check;
            QObject::connect(&check, &QTimer::timeout, &loop, [&] {
                if (other.answered())
                    loop.quit();
            });
            check.start(5);
            QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
            loop.exec();
            responder.respond(jsonAnswer({{"otherStatus", other.answer().status}}));
            return;
        }
        QJsonObject query;
        for (const auto& [name, value] : request.query)
            query.insert(QString::fromUtf8(name), QString::fromUtf8(value));
        QJsonObject cookies;
        for (const auto& [name, value] : request.cookies)
            cookies.insert(QString::fromUtf8(name), QString::fromUtf8(value));
        responder.respond(jsonAnswer({
            {"method", QString::fromUtf8(request.method)},
            {"path", QString::fromUtf8(request.path)},
            {"query", query},
            {"cookies", cookies},
            {"type", QString::fromUtf8(request.header("content-TYPE").value_or("none"))},
            {"body", QString::fromUtf8(request.body)},
            {"peer", request.peer.toString()},
            {"host", QString::fromUtf8(request.header("Host").value_or("none"))},
            {"secure", request.secure},
        }));
    }

    void answerLater()
    {
        for (const HttpResponder& responder : waiting)
            responder.respond(jsonAnswer({{"later", true}}));
        waiting.clear();
    }

    std::unique_ptr<web::HttpServer> m_server;
    quint16 port = 0;
    int handled = 0;
    std::vector<HttpResponder> waiting;
};

TEST_F(HttpServerTest, HandsOverTheRequestAsTheLibraryParsedIt)
{
    start();
    const CurlAnswer answer = curl(port, QStringLiteral("/a%20b/c?x=1&y=%E6%99%B4"),
                                   {QStringLiteral("-X"), QStringLiteral("PATCH"), QStringLiteral("-H"),
                                    QStringLiteral("Content-Type: application/json"), QStringLiteral("-H"),
                                    QStringLiteral("Cookie: s=abc; t=2"), QStringLiteral("--data-binary"),
                                    QStringLiteral("{\"rooms\":[]}")});
    ASSERT_EQ(answer.status, 200);
    const QJsonObject seen = answer.json();
    EXPECT_EQ(seen["method"].toString(), "PATCH");
    EXPECT_EQ(seen["path"].toString(), "/a b/c");
    EXPECT_EQ(seen["query"].toObject(), (QJsonObject{{"x", "1"}, {"y", "晴"}}));
    EXPECT_EQ(seen["cookies"].toObject(), (QJsonObject{{"s", "abc"}, {"t", "2"}}));
    EXPECT_EQ(seen["type"].toString(), "application/json");
    EXPECT_EQ(seen["body"].toString(), "{\"rooms\":[]}");
    EXPECT_EQ(seen["peer"].toString(), "127.0.0.1");
}

TEST_F(HttpServerTest, AnswersLaterWhileServingOthers)
{
    start();
    RawConnection later(port);
    later.write(get("/later"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return waiting.size() == 1; }, kWaitMs));
    // The waiting request holds up nobody.
    EXPECT_EQ(rawExchange(port, get("/other")).status, 200);
    EXPECT_FALSE(later.answered());
    answerLater();
    ASSERT_TRUE(later.waitForAnswer());
    EXPECT_EQ(later.answer().status, 200);
    EXPECT_EQ(QJsonDocument::fromJson(later.answer().body).object()["later"], true);
}

TEST_F(HttpServerTest, ServesWhileAHandlerRunsANestedEventLoop)
{
    start();
    RawConnection nested(port);
    nested.write(get("/nested"));
    ASSERT_TRUE(nested.waitForAnswer());
    EXPECT_EQ(QJsonDocument::fromJson(nested.answer().body).object()["otherStatus"], 200);
    EXPECT_EQ(handled, 2);
}

TEST_F(HttpServerTest, AnAnswerAfterTheClientLeftOrTheServerStoppedGoesNowhere)
{
    start();
    {
        RawConnection gone(port);
        gone.write(get("/later"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return waiting.size() == 1; }, kWaitMs));
        gone.socket().abort();
    }
    answerLater();
    EXPECT_EQ(rawExchange(port, get("/after")).status, 200);

    RawConnection pending(port);
    pending.write(get("/later"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return waiting.size() == 1; }, kWaitMs));
    m_server.reset();
    EXPECT_TRUE(pending.waitForClose());
    answerLater(); // the responder outlives the server
    EXPECT_EQ(pending.answer().status, 0);
}

TEST_F(HttpServerTest, ABodyOverTheLimitIsRefusedBeforeItIsSent)
{
    start();
    // Only the head goes out: the answer cannot wait for the body, and the body is not wanted.
    for (const QByteArray method : {"POST", "PATCH"}) {
        SCOPED_TRACE(method.toStdString());
        RawConnection client(port);
        client.write(method + " /upload HTTP/1.1\r\nHost: test\r\nContent-Length: 100000\r\n\r\n");
        ASSERT_TRUE(client.waitForAnswer());
        EXPECT_EQ(client.answer().status, 413);
        EXPECT_EQ(client.answer().body, "refused");
        EXPECT_TRUE(client.waitForClose());
    }

    const QByteArray atLimit(web::kMaxBodyBytes, 'x');
    const RawAnswer full = rawExchange(port, "POST /upload HTTP/1.1\r\nHost: test\r\nContent-Length: "
                                                 + QByteArray::number(atLimit.size()) + "\r\n\r\n" + atLimit);
    EXPECT_EQ(full.status, 200);
    EXPECT_EQ(handled, 1);
}

TEST_F(HttpServerTest, AChunkedBodyGrowingOverTheLimitGets413)
{
    start();
    RawConnection client(port);
    client.write("POST /upload HTTP/1.1\r\nHost: test\r\nTransfer-Encoding: chunked\r\n\r\n");
    const QByteArray chunk = QByteArray::number(16 * 1024, 16) + "\r\n" + QByteArray(16 * 1024, 'x') + "\r\n";
    for (int i = 0; i < 5; ++i)
        client.write(chunk);
    client.write("0\r\n\r\n");
    ASSERT_TRUE(client.waitForAnswer());
    EXPECT_EQ(client.answer().status, 413);
    EXPECT_EQ(client.answer().body, "refused");
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(rawExchange(port, get("/after")).status, 200);
}

TEST_F(HttpServerTest, HeadsOverTheLimitGet431)
{
    start();
    // Just over the limit: refused by the server's own count. Far over it: by the library, whose
    // memory for one connection it does not fit.
    for (const qsizetype size : {web::kMaxHeaderBytes + 1, qsizetype(200 * 1024)}) {
        SCOPED_TRACE(size);
        const RawAnswer answer = rawExchange(port, get("/big", "X-Big: " + QByteArray(size, 'a') + "\r\n"));
        EXPECT_EQ(answer.status, 431);
    }
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(rawExchange(port, get("/fits", "X-Fits: " + QByteArray(web::kMaxHeaderBytes - 100, 'a') + "\r\n")).status,
              200);
}

TEST_F(HttpServerTest, MalformedRequestsNeverReachTheHandler)
{
    start();
    // What the library makes of them: an error answer, or, for a line that is no request line
    // at all, the end of the connection (status 0).
    const struct {
        QByteArray request;
        int status;
    } malformed[] = {
        {"GARBAGE\r\n\r\n", 0},
        {"GET\r\n\r\n", 0},
        {"GET /\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\n\r\n", 400}, // HTTP/1.1 without Host
        {"GET / HTTP/9.9\r\nHost: test\r\n\r\n", 505},
        {"GET / HTTP/1.1\r\nHost: test\r\nContent-Length: -5\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nHost: test\r\nContent-Length: 12abc\r\n\r\n", 400},
        {"GET / HTTP/1.1\r\nHost: test\r\nNo colon here\r\n\r\n", 400},
        // Which of two Hosts or two Origins counts is anyone's guess, so neither does.
        {"GET / HTTP/1.1\r\nHost: test\r\nHost: evil.example\r\n\r\n", 400},
        {"POST / HTTP/1.1\r\nHost: test\r\nOrigin: http://test\r\nOrigin: http://evil.example\r\n"
         "Content-Length: 0\r\n\r\n", 400},
        // The library ends a decoded path at its first NUL: "/api/status%00junk" is no "/api/status".
        {"GET /api/status%00junk HTTP/1.1\r\nHost: test\r\n\r\n", 400},
        // A body whose end the server cannot find: answered at once, not at the idle timeout.
        {"POST / HTTP/1.1\r\nHost: test\r\nTransfer-Encoding: gzip\r\n\r\n", 501},
        {"POST / HTTP/1.1\r\nHost: test\r\nTransfer-Encoding: gzip, chunked\r\n\r\n", 501},
    };
    for (const auto& [request, status] : malformed) {
        SCOPED_TRACE(request.toStdString());
        RawConnection client(port);
        client.write(request);
        ASSERT_TRUE(client.waitForAnswer());
        EXPECT_EQ(client.answer().status, status);
        // One answer, with one status line; but libmicrohttpd 0.9.75 repeats its own 400 for a
        // malformed Content-Length, before anything of ours runs.
        if (!request.contains("Content-Length: -5") && !request.contains("Content-Length: 12abc")) {
            EXPECT_FALSE(client.answer().body.contains("HTTP/1.1 ")) << client.answer().body.toStdString();
        }
    }
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(rawExchange(port, get("/after")).status, 200);
}

TEST_F(HttpServerTest, AnAbsoluteTargetIsServedAsItsPathOnItsHost)
{
    start();
    // RFC 9112: the target's authority stands for the Host header.
    const RawAnswer answer = rawExchange(
        port, "GET http://Board.lan:8417/api/status?x=1 HTTP/1.1\r\nHost: other.example\r\n\r\n");
    ASSERT_EQ(answer.status, 200);
    const QJsonObject seen = QJsonDocument::fromJson(answer.body).object();
    EXPECT_EQ(seen["path"].toString(), "/api/status");
    EXPECT_EQ(seen["query"].toObject(), (QJsonObject{{"x", "1"}}));
    EXPECT_EQ(seen["host"].toString(), "Board.lan:8417");
    const RawAnswer bare = rawExchange(port, "GET https://board.lan HTTP/1.1\r\nHost: board.lan\r\n\r\n");
    ASSERT_EQ(bare.status, 200);
    EXPECT_EQ(QJsonDocument::fromJson(bare.body).object()["path"].toString(), "/");
}

TEST_F(HttpServerTest, ASlowClientIsClosedAtTheRequestDeadline)
{
    HttpLimits limits;
    limits.requestDeadline = std::chrono::milliseconds(500);
    limits.idleTimeout = std::chrono::seconds(60); // the trickle keeps it from ever being idle
    start(limits);
    RawConnection slow(port);
    slow.write("GET / HTTP/1.1\r\nHost: test\r\n");
    QTimer trickle;
    QObject::connect(&trickle, &QTimer::timeout, &slow, [&] { slow.write("X-Slow: 1\r\n"); });
    trickle.start(20);
    EXPECT_TRUE(slow.waitForClose());
    trickle.stop();
    EXPECT_EQ(slow.answer().status, 0);
    EXPECT_EQ(handled, 0);
    EXPECT_EQ(rawExchange(port, get("/after")).status, 200);
}

TEST_F(HttpServerTest, AnIdleConnectionIsClosed)
{
    HttpLimits limits;
    limits.idleTimeout = std::chrono::seconds(1);
    start(limits);
    RawConnection idle(port);
    EXPECT_TRUE(idle.waitForClose());
    EXPECT_EQ(rawExchange(port, get("/after")).status, 200);
}

TEST_F(HttpServerTest, OneAddressCannotTakeEveryConnection)
{
    HttpLimits limits;
    limits.connectionsPerAddress = 4;
    start(limits);
    // Eight idle connections from 127.0.0.1: four are kept, four closed at once.
    std::vector<std::unique_ptr<RawConnection>> hogs;
    for (int i = 0; i < 8; ++i)
        hogs.push_back(std::make_unique<RawConnection>(port));
    const auto closedHogs = [&] {
        return std::count_if(hogs.begin(), hogs.end(), [](const auto& hog) { return hog->closed(); });
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return closedHogs() == 4; }, kWaitMs));
    // Another client address is still served.
    RawConnection other(port, QHostAddress(QStringLiteral("127.0.0.2")));
    other.write(get("/other"));
    ASSERT_TRUE(other.waitForAnswer());
    EXPECT_EQ(other.answer().status, 200);
    EXPECT_EQ(QJsonDocument::fromJson(other.answer().body).object()["peer"].toString(), "127.0.0.2");
    EXPECT_EQ(closedHogs(), 4);
}

// Connections that never send a request give way to a new client, the longest waiting first;
// one whose request is with the handler is never closed for it. The timeouts are out of reach,
// so only making room can answer the newcomers.
TEST_F(HttpServerTest, AFullTableMakesRoomForANewClient)
{
    HttpLimits limits;
    limits.idleTimeout = std::chrono::hours(1);
    limits.requestDeadline = std::chrono::hours(1);
    start(limits);
    RawConnection pending(port);
    pending.write(get("/later"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return waiting.size() == 1; }, kWaitMs));

    const auto address = [](int last) { return QHostAddress(QStringLiteral("127.0.0.%1").arg(last)); };
    const auto hog = [&](std::vector<std::unique_ptr<RawConnection>>& hogs, int count, const QHostAddress& from) {
        for (int i = 0; i < count; ++i)
            hogs.push_back(std::make_unique<RawConnection>(port, from));
        return QTest::qWaitFor(
            [&] {
                return std::all_of(hogs.begin(), hogs.end(), [](const auto& one) {
                    return one->closed() || one->socket().state() == QAbstractSocket::ConnectedState;
                });
            },
            kWaitMs);
    };
    const auto served = [&](const QHostAddress& from) {
        RawConnection client(port, from);
        client.write(get("/newcomer"));
        return client.waitForAnswer() && client.answer().status == 200;
    };

    // Eight addresses, each at its limit: twice the table.
    std::vector<std::unique_ptr<RawConnection>> hogs;
    for (int last = 2; last <= 9; ++last)
        ASSERT_TRUE(hog(hogs, int(limits.connectionsPerAddress), address(last)));
    EXPECT_TRUE(served(address(10)));
    EXPECT_TRUE(served(address(2)));
    hogs.clear();

    // Two hundred from one address.
    ASSERT_TRUE(hog(hogs, 200, address(1)));
    EXPECT_TRUE(served(address(1)));
    EXPECT_TRUE(served(address(3)));

    answerLater();
    ASSERT_TRUE(pending.waitForAnswer());
    EXPECT_EQ(pending.answer().status, 200);
}

TEST_F(HttpServerTest, AtTheConnectionLimitTheNextClientTakesTheLongestWaitingOnesPlace)
{
    HttpLimits limits;
    limits.connections = 2;
    start(limits);
    RawConnection first(port);
    RawConnection second(port);
    first.write(get("/first"));
    ASSERT_TRUE(first.waitForAnswer());
    // The first is kept alive from its answer on; the second has waited for a request since it
    // came, and makes room.
    RawConnection third(port);
    third.write(get("/third"));
    ASSERT_TRUE(third.waitForAnswer());
    EXPECT_EQ(third.answer().status, 200);
    EXPECT_TRUE(second.waitForClose());
    EXPECT_FALSE(first.closed());
}

TEST_F(HttpServerTest, TwoHundredConnectionsAtOnceLeaveItServing)
{
    start();
    std::vector<std::unique_ptr<RawConnection>> clients;
    for (int i = 0; i < 200; ++i) {
        clients.push_back(std::make_unique<RawConnection>(port));
        clients.back()->write(get("/crowd", "Connection: close\r\n"));
    }
    const auto finished = [&] {
        return std::all_of(clients.begin(), clients.end(),
                           [](const auto& client) { return client->answered() || client->closed(); });
    };
    ASSERT_TRUE(QTest::qWaitFor(finished, kWaitMs));
    const auto served = std::count_if(clients.begin(), clients.end(),
                                      [](const auto& client) { return client->answer().status == 200; });
    EXPECT_GE(served, 1);
    EXPECT_EQ(served, handled);
    clients.clear();
    EXPECT_EQ(rawExchange(port, get("/after")).status, 200);
}

// With a certificate the listener speaks TLS and nothing else.
TEST_F(HttpServerTest, WithACertificateItSpeaksOnlyTls)
{
    QTemporaryDir dir;
    const web::LoadedCertificate certificate =
        web::selfSignedCertificate(dir.filePath(QStringLiteral("tls.crt")), dir.filePath(QStringLiteral("tls.key")),
                                   {QStringLiteral("localhost"), QStringLiteral("127.0.0.1")}, QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(certificate.credentials) << certificate.error.toStdString();
    start({}, certificate.credentials);
    const CurlAnswer tls = curl(port, QStringLiteral("/over-tls"), {QStringLiteral("--cacert"), dir.filePath(QStringLiteral("tls.crt"))},
                                QStringLiteral("https"));
    ASSERT_EQ(tls.status, 200);
    EXPECT_EQ(tls.json()["secure"], true);
    EXPECT_EQ(curl(port, QStringLiteral("/plain")).status, 0);
    EXPECT_EQ(rawExchange(port, get("/plain")).status, 0);
    EXPECT_EQ(handled, 1);
}

// X-Forwarded-For names the client only on the trusted proxy's requests, and the proxy may hold
// more connections than one address.
TEST_F(HttpServerTest, OnlyTheTrustedProxyNamesTheClient)
{
    HttpLimits limits;
    limits.connectionsPerAddress = 2;
    start(limits, std::nullopt, QHostAddress(QStringLiteral("127.0.0.2")));
    const auto peerOf = [&](const char* from, const QByteArray& forwarded) {
        RawConnection client(port, QHostAddress(QString::fromLatin1(from)));
        client.write(get("/who", forwarded));
        return client.waitForAnswer() ? QJsonDocument::fromJson(client.answer().body).object()["peer"].toString() : QString();
    };
    EXPECT_EQ(peerOf("127.0.0.2", "X-Forwarded-For: 203.0.113.9, 198.51.100.7\r\n"), "198.51.100.7");
    EXPECT_EQ(peerOf("127.0.0.2", "X-Forwarded-For: 192.0.2.1\r\nX-Forwarded-For: 2001:db8::5\r\n"), "2001:db8::5");
    EXPECT_EQ(peerOf("127.0.0.2", "X-Forwarded-For: unknown\r\n"), "127.0.0.2");
    EXPECT_EQ(peerOf("127.0.0.3", "X-Forwarded-For: 198.51.100.7\r\n"), "127.0.0.3");

    std::vector<std::unique_ptr<RawConnection>> proxied;
    for (int i = 0; i < 6; ++i) {
        proxied.push_back(std::make_unique<RawConnection>(port, QHostAddress(QStringLiteral("127.0.0.2"))));
        proxied.back()->write(get("/later"));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return waiting.size() == 6; }, kWaitMs));
    answerLater();
    for (const auto& one : proxied) {
        ASSERT_TRUE(one->waitForAnswer());
        EXPECT_EQ(one->answer().status, 200);
    }
}

TEST_F(HttpServerTest, ABusyPortIsReported)
{
    start();
    web::HttpServer second({}, [](const HttpRequest&, const HttpResponder&) {}, [](web::Refusal) { return HttpResponse{}; });
    EXPECT_FALSE(second.listen(QHostAddress(QHostAddress::LocalHost), port));
    EXPECT_TRUE(second.errorString().contains(QLatin1String("in use"))) << second.errorString().toStdString();
}

} // namespace
