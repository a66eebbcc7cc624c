// The whole HTTP service as vorfjp-web runs it (WebService), over real HTTP on 127.0.0.1 with
// curl, in front of a board side that records what it is asked: the order of the checks, the
// endpoints, the page, and credentials. No refused request may reach the board side.
#include "support/board_double.h"
#include "web/credentials.h"
#include "web/tls_certificate.h"
#include "web_clients.h"
#include "webd/web_service.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <QSemaphore>

#include <atomic>
#include <memory>

namespace {

using namespace webtest;
using namespace std::chrono_literals;

class TestPage : public web::StaticFiles {
public:
    std::optional<web::StaticFile> file(const QString& path) const override
    {
        asked.append(path);
        if (path == QLatin1String("/index.html"))
            return web::StaticFile{"<!doctype html><title>VorFJP</title>", "text/html; charset=utf-8"};
        if (path == QLatin1String("/app.js"))
            return web::StaticFile{"'use strict';", "text/javascript"};
        return std::nullopt;
    }
    mutable QStringList asked;
};

constexpr QByteArrayView kPassword = "Zimmer 12 frei";

class WebServiceTest : public ::testing::Test {
protected:
    void start(bool withPassword, const std::function<void(webd::WebServiceSettings&)>& adjust = {},
               const std::optional<web::TlsCredentials>& tls = std::nullopt)
    {
        ASSERT_TRUE(config.isValid());
        if (withPassword) {
            ASSERT_EQ(web::storePassword(files.password, kPassword, web::PasswordCost::Minimal), std::nullopt);
        }
        webd::WebServiceSettings settings;
        settings.api.credentials = files;
        settings.api.clock = [this] { return now; };
        settings.api.login.firstDelay = 1ms;
        settings.api.login.maxDelay = 4ms;
        if (adjust)
            adjust(settings);
        service = std::make_unique<webd::WebService>(board, page, settings);
        ASSERT_EQ(service->listen({QHostAddress(QHostAddress::LocalHost), 0, false}, {QStringLiteral("board.lan")}, tls),
                  std::nullopt);
        port = service->port();
        host = QStringLiteral("127.0.0.1:%1").arg(port);
    }

    QStringList header(const QString& line) const { return {QStringLiteral("-H"), line}; }

    QTemporaryDir config;
    web::CredentialFiles files{config.filePath(QStringLiteral("web-password")), config.filePath(QStringLiteral("web-tokens")),
                               config.filePath(QStringLiteral("web-tls.crt")), config.filePath(QStringLiteral("web-tls.key"))};
    qint64 now = 1'000'000;
    BoardDouble board;
    TestPage page;
    std::unique_ptr<webd::WebService> service;
    quint16 port = 0;
    QString host;
};

// What every answer carries, and what every failure's body is.
void expectWellFormed(const CurlAnswer& answer)
{
    EXPECT_EQ(answer.header("X-Content-Type-Options"), "nosniff");
    EXPECT_EQ(answer.header("Referrer-Policy"), "no-referrer");
    EXPECT_TRUE(answer.header("Content-Security-Policy").startsWith("default-src 'self'"));
    if (answer.status >= 400) {
        const QJsonObject body = answer.json();
        EXPECT_EQ(answer.header("Content-Type"), "application/json; charset=utf-8");
        EXPECT_EQ(answer.header("Cache-Control"), "no-store");
        EXPECT_EQ(body["ok"], false);
        EXPECT_FALSE(body["problem"].toString().isEmpty());
        // The operator reads Chinese.
        const QString message = body["message"].toString();
        EXPECT_TRUE(std::any_of(message.begin(), message.end(), [](QChar c) { return c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff; }))
            << message.toStdString();
    }
}

TEST_F(WebServiceTest, ChecksEveryRequestBeforeTheBoardSideSeesIt)
{
    start(false);
    const QString otherPort = QStringLiteral("Host: 127.0.0.1:%1").arg(port == 65535 ? 1 : port + 1);
    const QString ownSite = QStringLiteral("Origin: http://%1").arg(host);
    const QString json = QStringLiteral("Content-Type: application/json");
    const struct Row {
        const char* what;
        QString path;
        QStringList arguments;
        int status;
        const char* problem; // nullptr: a success
        const char* allow = nullptr;
    } rows[] = {
        {"unknown endpoint", "/api/nothing", {}, 404, "not-found"},
        {"bare api", "/api", {}, 404, "not-found"},
        {"unknown command", "/api/send/reboot", jsonRequest("POST", "{}"), 404, "not-found"},
        {"wrong method", "/api/content", {"-X", "DELETE"}, 405, "method-not-allowed", "GET, HEAD, PATCH"},
        {"get a send", "/api/send/test", {}, 405, "method-not-allowed", "POST"},
        {"made-up method", "/api/status", {"-X", "BREW"}, 405, "method-not-allowed", "GET, HEAD"},
        {"post to the page", "/", jsonRequest("POST", "{}"), 405, "method-not-allowed", "GET, HEAD"},
        {"foreign host", "/api/status", header("Host: evil.example"), 421, "wrong-host"},
        {"foreign host for the page", "/", header("Host: evil.example:8417"), 421, "wrong-host"},
        {"another port", "/api/status", header(otherPort), 421, "wrong-host"},
        {"no host", "/api/status", {"-0", "-H", "Host:"}, 421, "wrong-host"},
        {"localhost", "/api/status", header(QStringLiteral("Host: LOCALHOST:%1").arg(port)), 200, nullptr},
        {"allowed name", "/api/status", header(QStringLiteral("Host: board.lan:%1").arg(port)), 200, nullptr},
        {"foreign origin", "/api/content", jsonRequest("PATCH", "{}") + header("Origin: http://evil.example"), 403, "foreign-origin"},
        {"origin of another port", "/api/content",
         jsonRequest("PATCH", "{}") + header(QStringLiteral("Origin: http://127.0.0.1:%1").arg(port + 1)), 403,
         "foreign-origin"},
        {"null origin", "/api/content", jsonRequest("PATCH", "{}") + header("Origin: null"), 403, "foreign-origin"},
        {"cross-site fetch", "/api/content", jsonRequest("PATCH", "{}") + header("Sec-Fetch-Site: cross-site"), 403,
         "foreign-origin"},
        {"own origin", "/api/content", jsonRequest("PATCH", "{}") + header(ownSite), 200, nullptr},
        {"form post", "/api/content", {"-X", "PATCH", "--data", "rooms=1"}, 415, "unsupported-media-type"},
        {"plain text", "/api/content", {"-X", "PATCH", "-H", "Content-Type: text/plain", "--data", "{}"}, 415,
         "unsupported-media-type"},
        {"no type", "/api/send/time", {"-X", "POST"}, 415, "unsupported-media-type"},
        {"broken json", "/api/content", jsonRequest("PATCH", "{\"rooms\": ["), 400, "bad-json"},
        {"json array", "/api/content", jsonRequest("PATCH", "[1, 2]"), 400, "bad-json"},
        {"json string", "/api/content", jsonRequest("PATCH", "\"rooms\""), 400, "bad-json"},
        {"device too big", "/api/send/test", jsonRequest("POST", "{\"device\": 256}"), 422, "bad-device"},
        {"device negative", "/api/send/test", jsonRequest("POST", "{\"device\": -1}"), 422, "bad-device"},
        {"device fraction", "/api/send/test", jsonRequest("POST", "{\"device\": 1.5}"), 422, "bad-device"},
        {"device as text", "/api/send/test", jsonRequest("POST", "{\"device\": \"5\"}"), 422, "bad-device"},
        {"misspelt field", "/api/send/rooms", jsonRequest("POST", "{\"devcie\": 5}"), 422, "bad-request"},
        {"body over 64 KiB", "/api/content",
         jsonRequest("PATCH", "{\"weatherText\": \"" + QByteArray(70 * 1024, 'a') + "\"}"), 413, "too-large"},
        {"head over 16 KiB", "/api/status", header("X-Filler: " + QString(20 * 1024, u'a')), 431, "headers-too-large"},
        {"login without password", "/api/login", jsonRequest("POST", "{\"password\": \"x\"}"), 409, "no-password"},
        {"the page", "/", {}, 200, nullptr},
        {"a page file", "/app.js", {}, 200, nullptr},
        {"a missing file", "/missing.js", {}, 404, "not-found"},
        {"climbing out", "/../etc/passwd", {"--path-as-is"}, 404, "not-found"},
        {"climbing out, encoded", "/%2e%2e/etc/passwd", {"--path-as-is"}, 404, "not-found"},
        {"a dot segment", "/./app.js", {"--path-as-is"}, 404, "not-found"},
        {"backslash", "/..%5cetc", {}, 404, "not-found"},
        {"absolute target", "/", {"--request-target", QStringLiteral("http://%1/api/status").arg(host)}, 200, nullptr},
        {"absolute target, foreign", "/", {"--request-target", "http://evil.example/api/status"}, 421, "wrong-host"},
        {"two origins", "/api/content", jsonRequest("PATCH", "{}") + header(ownSite) + header("Origin: http://evil.example"),
         400, "malformed-request"},
        {"nul in the path", "/api/status%00junk", {}, 400, "malformed-request"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const CurlAnswer answer = curl(port, row.path, row.arguments);
        EXPECT_EQ(answer.status, row.status);
        if (row.problem) {
            EXPECT_EQ(answer.json()["problem"].toString().toStdString(), row.problem);
        }
        if (row.allow) {
            EXPECT_EQ(answer.header("Allow"), row.allow);
        }
        expectWellFormed(answer);
    }
    // Only the rows that passed every check reached the board side: three status reads and one
    // empty change; the page provider saw no path that climbs out.
    EXPECT_EQ(board.statusCalls, 3);
    EXPECT_EQ(board.patchCalls, 1);
    EXPECT_TRUE(board.sends.isEmpty());
    EXPECT_EQ(page.asked, (QStringList{"/index.html", "/app.js", "/missing.js"}));
}

TEST_F(WebServiceTest, ContentChangesAreCheckedAndAllOrNothing)
{
    start(false);
    const QJsonObject before = board.currentContent();
    const CurlAnswer refused = curl(port, QStringLiteral("/api/content"),
                                    jsonRequest("PATCH", R"({"weatherText": "多云", "rooms": ["1","2","3","12a","5","6","7","8","9","10"]})"));
    EXPECT_EQ(refused.status, 422);
    EXPECT_EQ(refused.json()["errors"].toObject().keys(), QStringList{"rooms.3"});
    EXPECT_EQ(board.currentContent(), before);
    EXPECT_EQ(curl(port, QStringLiteral("/api/content")).json(), before);

    const CurlAnswer changed = curl(port, QStringLiteral("/api/content"), jsonRequest("PATCH", R"({"weatherText": "多云"})"));
    EXPECT_EQ(changed.status, 200);
    EXPECT_EQ(changed.json()["weatherText"].toString(), QStringLiteral("多云"));
    EXPECT_EQ(changed.json()["rooms"], before["rooms"]);
    EXPECT_EQ(curl(port, QStringLiteral("/api/content")).json(), changed.json());
}

TEST_F(WebServiceTest, SendsAreAnsweredWhenTheBoardSideIsDone)
{
    start(false);
    Curl test(port, QStringLiteral("/api/send/test"), jsonRequest("POST", R"({"device": 5})"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return board.sends.size() == 1; }, kWaitMs));
    EXPECT_EQ(board.sends[0].command, "test");
    EXPECT_EQ(board.sends[0].device, 5);
    // The waiting send holds up no other request.
    const CurlAnswer status = curl(port, QStringLiteral("/api/status"));
    EXPECT_EQ(status.status, 200);
    EXPECT_EQ(status.json()["sending"], true);
    EXPECT_TRUE(test.running());
    board.finishSend({200, {{"ok", true}, {"device", 5}}});
    const CurlAnswer tested = test.finish();
    EXPECT_EQ(tested.status, 200);
    EXPECT_EQ(tested.json(), (QJsonObject{{"ok", true}, {"device", 5}}));

    Curl weather(port, QStringLiteral("/api/send/weather"), jsonRequest("POST", ""));
    ASSERT_TRUE(QTest::qWaitFor([&] { return board.sends.size() == 1; }, kWaitMs));
    EXPECT_EQ(board.sends[0].device, std::nullopt);
    const QJsonObject lost{{"ok", false}, {"problem", "line-lost"}, {"message", "串口连接中断。"}};
    board.finishSend({502, lost});
    const CurlAnswer failed = weather.finish();
    EXPECT_EQ(failed.status, 502);
    EXPECT_EQ(failed.json(), lost);
}

TEST_F(WebServiceTest, WithAPasswordEveryRequestButThePageNeedsCredentials)
{
    start(true);
    EXPECT_TRUE(service->passwordRequired());
    const QJsonObject before = board.currentContent();
    const QStringList patch = jsonRequest("PATCH", R"({"weatherText": "雨"})");
    const QStringList sendTime = jsonRequest("POST", "{}");
    const QString forged = QStringLiteral("Cookie: vorfjp_session=%1").arg(QString::fromLatin1(web::randomSecret()));
    const struct {
        const char* what;
        QString path;
        QStringList arguments;
    } refused[] = {
        {"status", "/api/status", {}},
        {"content", "/api/content", {}},
        {"change", "/api/content", patch},
        {"send", "/api/send/time", sendTime},
        {"preview", "/api/preview", jsonRequest("POST", "{}")},
        {"forged cookie", "/api/content", patch + header(forged)},
        {"empty cookie", "/api/status", header("Cookie: vorfjp_session=")},
        {"forged token", "/api/content", patch + header(QStringLiteral("Authorization: Bearer %1").arg(QString::fromLatin1(web::randomSecret())))},
        {"basic scheme", "/api/status", {"--user", "admin:Zimmer 12 frei"}},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.what);
        const CurlAnswer answer = curl(port, row.path, row.arguments);
        EXPECT_EQ(answer.status, 401);
        EXPECT_EQ(answer.json()["problem"], "unauthorized");
        EXPECT_EQ(answer.header("WWW-Authenticate"), "Bearer");
        expectWellFormed(answer);
    }
    EXPECT_EQ(curl(port, QStringLiteral("/")).status, 200);
    EXPECT_EQ(board.statusCalls + board.contentCalls + board.patchCalls + board.previewCalls, 0);
    EXPECT_TRUE(board.sends.isEmpty());
    EXPECT_EQ(board.currentContent(), before);

    // A token works as long as it is the newest under its name.
    const web::NewToken first = web::storeNewToken(files.tokens, QStringLiteral("cron"));
    ASSERT_TRUE(first.token);
    const QString bearer = QStringLiteral("Authorization: Bearer ") + QString::fromLatin1(*first.token);
    EXPECT_EQ(curl(port, QStringLiteral("/api/status"), header(bearer)).status, 200);
    EXPECT_EQ(curl(port, QStringLiteral("/api/content"), patch + header(bearer)).status, 200);
    EXPECT_EQ(board.currentContent()["weatherText"].toString(), QStringLiteral("雨"));
    ASSERT_TRUE(web::storeNewToken(files.tokens, QStringLiteral("cron")).token);
    EXPECT_EQ(curl(port, QStringLiteral("/api/status"), header(bearer)).status, 401);
}

TEST_F(WebServiceTest, ALoginCookieWorksUntilLogoutOrExpiry)
{
    start(true);
    const auto login = [&](QByteArrayView password) {
        return curl(port, QStringLiteral("/api/login"),
                    jsonRequest("POST", QJsonDocument(QJsonObject{{"password", QString::fromUtf8(password)}}).toJson()));
    };
    const CurlAnswer wrong = login("zimmer 12 frei");
    EXPECT_EQ(wrong.status, 401);
    EXPECT_EQ(wrong.json()["problem"], "wrong-password");
    EXPECT_TRUE(wrong.header("Set-Cookie").isEmpty());

    const CurlAnswer right = login(kPassword);
    ASSERT_EQ(right.status, 200);
    const QList<QByteArray> cookie = right.header("Set-Cookie").split(';');
    ASSERT_GE(cookie.size(), 2);
    EXPECT_TRUE(cookie[0].startsWith("vorfjp_session="));
    EXPECT_EQ(cookie[0].size(), qsizetype(sizeof "vorfjp_session=") - 1 + 43); // 256 random bits
    QStringList attributes;
    for (const QByteArray& attribute : cookie.mid(1))
        attributes << QString::fromLatin1(attribute.trimmed());
    EXPECT_EQ(attributes, (QStringList{"Path=/", "Max-Age=43200", "HttpOnly", "SameSite=Strict"}));

    const QStringList withCookie = header(QStringLiteral("Cookie: ") + QString::fromLatin1(cookie[0]));
    EXPECT_EQ(curl(port, QStringLiteral("/api/status"), withCookie).status, 200);
    // A second login is a second session; logging it out leaves the first alone.
    const QByteArray second = login(kPassword).header("Set-Cookie").split(';')[0];
    const CurlAnswer out = curl(port, QStringLiteral("/api/logout"),
                                jsonRequest("POST", "") + header(QStringLiteral("Cookie: ") + QString::fromLatin1(second)));
    EXPECT_EQ(out.status, 200);
    EXPECT_TRUE(out.header("Set-Cookie").contains("Max-Age=0"));
    EXPECT_EQ(curl(port, QStringLiteral("/api/status"), header(QStringLiteral("Cookie: ") + QString::fromLatin1(second))).status, 401);
    EXPECT_EQ(curl(port, QStringLiteral("/api/status"), withCookie).status, 200);

    now += std::chrono::milliseconds(12h).count();
    EXPECT_EQ(curl(port, QStringLiteral("/api/status"), withCookie).status, 401);
}

TEST_F(WebServiceTest, TwentyWrongPasswordsLockOutOnlyTheirAddressForAWhile)
{
    start(true);
    const QStringList wrong = jsonRequest("POST", R"({"password": "raten"})");
    const QStringList right = jsonRequest("POST", QJsonDocument(QJsonObject{{"password", QString::fromUtf8(kPassword)}}).toJson());
    QList<int> statuses;
    for (int attempt = 0; attempt < 20; ++attempt) {
        const CurlAnswer answer = curl(port, QStringLiteral("/api/login"), wrong);
        statuses << answer.status;
        if (answer.status == 429) {
            EXPECT_EQ(answer.json()["problem"], "too-many-logins");
            EXPECT_GT(answer.header("Retry-After").toInt(), 0);
        }
    }
    EXPECT_EQ(statuses, QList<int>(10, 401) + QList<int>(10, 429));
    // Locked out, the right password is not even tried; another address may log in.
    EXPECT_EQ(curl(port, QStringLiteral("/api/login"), right).status, 429);
    EXPECT_EQ(curl(port, QStringLiteral("/api/login"), right + QStringList{"--interface", "127.0.0.2"}).status, 200);
    // Once the window has passed, the right password works again.
    now += std::chrono::milliseconds(web::LoginLimits().window).count();
    EXPECT_EQ(curl(port, QStringLiteral("/api/login"), right).status, 200);
    EXPECT_EQ(board.patchCalls + board.contentCalls, 0);
}

QStringList loginRequest(QByteArrayView password)
{
    return jsonRequest("POST", QJsonDocument(QJsonObject{{"password", QString::fromUtf8(password)}}).toJson());
}

// Password checks run on the thread pool: while they hash (here: until the test lets them), every
// other request is answered; one at a time for each address and a few in all, beyond which a
// login gets 429 at once.
TEST_F(WebServiceTest, PasswordChecksHoldUpNoOtherRequestAndAreBounded)
{
    QSemaphore release;
    std::atomic<int> checking {0};
    start(true, [&](webd::WebServiceSettings& settings) {
        settings.api.login.maxChecks = 3;
        settings.api.passwordCheck = [&](const QString& path, QByteArrayView password) {
            ++checking;
            release.acquire();
            return web::passwordMatches(path, password);
        };
    });
    std::vector<std::unique_ptr<Curl>> logins;
    for (int client = 2; client <= 4; ++client)
        logins.push_back(std::make_unique<Curl>(port, QStringLiteral("/api/login"),
                                                loginRequest(client == 2 ? kPassword : "raten")
                                                    + QStringList{"--interface", QStringLiteral("127.0.0.%1").arg(client)}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return checking > 0; }, kWaitMs));
    EXPECT_EQ(curl(port, QStringLiteral("/api/status")).status, 401);
    EXPECT_EQ(curl(port, QStringLiteral("/")).status, 200);
    for (const auto& [from, why] : {std::pair {"127.0.0.5", "a fourth check"}, std::pair {"127.0.0.2", "a second from one address"}}) {
        SCOPED_TRACE(why);
        const CurlAnswer busy = curl(port, QStringLiteral("/api/login"), loginRequest(kPassword) + QStringList{"--interface", from});
        EXPECT_EQ(busy.status, 429);
        EXPECT_EQ(busy.json()["problem"], "logins-busy");
        EXPECT_EQ(busy.header("Retry-After"), "1");
        expectWellFormed(busy);
    }
    EXPECT_TRUE(std::all_of(logins.begin(), logins.end(), [](const auto& login) { return login->running(); }));
    release.release(3);
    EXPECT_EQ(logins[0]->finish().status, 200);
    EXPECT_EQ(logins[1]->finish().status, 401);
    EXPECT_EQ(logins[2]->finish().status, 401);
    EXPECT_EQ(checking, 3);
}

// Behind a trusted proxy each client is counted by the address the proxy names; from any other
// peer the header is the client's own claim and counts for nothing.
TEST_F(WebServiceTest, OnlyATrustedProxyNamesTheClient)
{
    start(true, [](webd::WebServiceSettings& settings) { settings.trustedProxy = QHostAddress(QStringLiteral("127.0.0.1")); });
    const auto login = [&](QByteArrayView password, const char* forwarded, const char* from = "127.0.0.1") {
        return curl(port, QStringLiteral("/api/login"),
                    loginRequest(password)
                        + QStringList{"-H", QStringLiteral("X-Forwarded-For: %1").arg(QLatin1String(forwarded)),
                                      "--interface", from})
            .status;
    };
    for (int attempt = 0; attempt < 10; ++attempt)
        ASSERT_EQ(login("raten", "203.0.113.9, 198.51.100.7"), 401);
    EXPECT_EQ(login(kPassword, "198.51.100.7"), 429);
    EXPECT_EQ(login(kPassword, "203.0.113.9"), 200) << "the last hop is the client";
    EXPECT_EQ(login(kPassword, "192.0.2.1"), 200) << "the operator behind the same proxy";
    // Not the proxy: its ten guesses count against itself, whatever it claims to be.
    for (int attempt = 0; attempt < 10; ++attempt)
        ASSERT_EQ(login("raten", "192.0.2.1", "127.0.0.2"), 401);
    EXPECT_EQ(login(kPassword, "192.0.2.44", "127.0.0.2"), 429);
    EXPECT_EQ(login(kPassword, "192.0.2.1"), 200);
}

// Over HTTPS the session cookie is Secure, so that no browser sends it over plain HTTP.
TEST_F(WebServiceTest, OverHttpsTheCookieIsSecure)
{
    const web::LoadedCertificate certificate =
        web::selfSignedCertificate(config.filePath(QStringLiteral("tls.crt")), config.filePath(QStringLiteral("tls.key")),
                                   {QStringLiteral("localhost")}, QDateTime::currentDateTimeUtc());
    ASSERT_TRUE(certificate.credentials) << certificate.error.toStdString();
    start(true, {}, certificate.credentials);
    const CurlAnswer right = curl(port, QStringLiteral("/api/login"), loginRequest(kPassword) + QStringList{"-k"},
                                  QStringLiteral("https"));
    ASSERT_EQ(right.status, 200);
    EXPECT_TRUE(right.header("Set-Cookie").endsWith("; Secure")) << right.header("Set-Cookie").toStdString();
    const QByteArray cookie = right.header("Set-Cookie").split(';')[0];
    EXPECT_EQ(curl(port, QStringLiteral("/api/status"), {"-k", "-H", "Cookie: " + QString::fromLatin1(cookie)},
                   QStringLiteral("https"))
                  .status,
              200);
}

TEST_F(WebServiceTest, ListeningBeyondThisComputerNeedsAPassword)
{
    ASSERT_TRUE(config.isValid());
    webd::WebServiceSettings settings;
    settings.api.credentials = files;
    webd::WebService open(board, page, settings);
    const std::optional<QString> refused = open.listen({QHostAddress(QHostAddress::AnyIPv4), 0, false}, {});
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->contains(QLatin1String("vorfjp-web --set-password"))) << refused->toStdString();
    EXPECT_EQ(open.port(), 0);
}

} // namespace
