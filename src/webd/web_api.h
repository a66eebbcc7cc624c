#pragma once
// The HTTP API of the board service, as plain request in, answer out: no sockets, no HTTP
// library. It decides everything that is HTTP's business (which host, which site, which route and
// method, credentials, JSON) and hands the rest to the board side.
//
// Every request goes through these checks in this order; the first that fails answers:
//   Host is not one of the accepted hosts                       421 wrong-host
//   /api/… path that is no endpoint; a missing file            404 not-found
//   method the endpoint does not take                          405 method-not-allowed, with Allow
//   POST, PUT or PATCH whose Origin is another site            403 foreign-origin
//   a password is set, the endpoint needs login, no credentials 401 unauthorized
//   POST, PUT or PATCH without Content-Type: application/json   415 unsupported-media-type
//   a body that is not one JSON object (empty counts as {})     400 bad-json
// Every failure's body is {"ok": false, "problem": KIND, "message": Chinese text for the operator}.
//
// Endpoints:
//   GET  /api/content          the content                      (login needed)
//   PATCH /api/content         changes to it, checked by the board side
//   POST /api/preview          a draft, for the page
//   POST /api/send/COMMAND     test|time|rooms|rates|weather, body {} or {"device": 0..255}
//   GET  /api/status           port, send in progress, last sends; "schedule": the plans in
//                              force (web/schedule_runner.h)
//   GET, PUT /api/schedule     the schedule; POST /api/schedule/check; GET /api/schedule/at,
//                              /api/schedule/timeline, /api/schedule/history: web/schedule_service.h
//   POST /api/login            {"password": "…"}: a session cookie (no login needed); the
//                              password is checked on the thread pool, a few at once (429
//                              logins-busy beyond them), so that the rest is answered meanwhile
//   POST /api/logout           ends the cookie's session (no login needed)
//   GET  anything else         a file of the page (no login needed); "/" is "/index.html"
#include "web/credentials.h"
#include "web/http_message.h"
#include "web/sessions.h"
#include "web/static_files.h"
#include "webd/credential_commands.h"
#include "webd/board_service.h"
#include "webd/schedule_service.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QThreadPool>

#include <functional>

namespace webd {

struct WebApiSettings {
    web::CredentialFiles credentials = defaultCredentialFiles();
    std::chrono::seconds sessionLifetime = std::chrono::hours(12);
    web::LoginLimits login;
    web::Clock clock = &web::steadyMilliseconds;
    // Checks a login's password against the password file; runs on the thread pool.
    std::function<bool(const QString& passwordFile, QByteArrayView password)> passwordCheck = &web::passwordMatches;
    // The content file: answers name it, and every file beside it, by its file name only, so
    // that no client learns where it lies; the log gets the whole message.
    QString contentPath;
};

class WebApi : public QObject {
    Q_OBJECT
public:
    // Answers one request exactly once, at once or later.
    using Answer = std::function<void(web::HttpResponse)>;

    // Whether a login is needed is decided here, once: it is when a password is stored now.
    WebApi(BoardService& board, const web::StaticFiles& files, const WebApiSettings& settings, QObject* parent = nullptr);
    ~WebApi() override; // waits for a password check under way; the ones waiting are dropped

    // The Host header values this service answers to, such as "127.0.0.1:8417" or "board.lan"
    // (compared without regard to case); until they are set every request gets 421.
    void setAcceptedHosts(const QStringList& hosts);
    bool passwordRequired() const;
    // Where the schedule endpoints go; until one is set they are not found (404).
    void setScheduleService(ScheduleService* schedule);

    void handle(const web::HttpRequest& request, const Answer& answer);
    // The answer to a request the HTTP server refused itself.
    static web::HttpResponse refusal(web::Refusal refusal);

private:
    enum class Endpoint;
    struct Route;
    static std::optional<Route> routeOf(const QByteArray& path);

    bool hostAccepted(const web::HttpRequest& request) const;
    bool originForeign(const web::HttpRequest& request) const;
    bool authorized(const web::HttpRequest& request);
    // Who makes the request, for the history: "token NAME", "page session" or "no login".
    QString requester(const web::HttpRequest& request);
    void serveSchedule(Endpoint endpoint, const web::HttpRequest& request, const QJsonObject& body, const Answer& answer);
    void serve(Endpoint endpoint, const web::HttpRequest& request, const QJsonObject& body, const Answer& answer);
    void login(const web::HttpRequest& request, const QJsonObject& body, const Answer& answer);
    void loginChecked(quint64 check, bool matched);
    web::HttpResponse fromService(const ServiceAnswer& service) const;
    void send(const QByteArray& command, const QJsonObject& body, const Answer& answer);
    web::HttpResponse page(const web::HttpRequest& request) const;

    struct PendingLogin {
        QHostAddress peer;
        bool secure;
        QByteArray generation; // of the password being checked against
        Answer answer;
    };

    BoardService& m_board;
    const web::StaticFiles& m_files;
    web::CredentialFiles m_credentials;
    bool m_passwordRequired;
    web::Sessions m_sessions;
    web::LoginLimiter m_logins;
    web::LoginLimits m_loginLimits;
    std::function<bool(const QString&, QByteArrayView)> m_passwordCheck;
    QString m_contentFolder; // absolute, with its final "/"
    QSet<QByteArray> m_hosts; // lower case
    ScheduleService* m_schedule = nullptr;
    QHash<quint64, PendingLogin> m_pendingLogins; // by check number
    quint64 m_lastCheck = 0;
    // Last, so that it is gone first: it waits for the check under way, which answers to this.
    QThreadPool m_hashing;
};

} // namespace webd
