#include "webd/web_api.h"

#include "board/command.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>
#include <QUtf8StringView>

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

Q_LOGGING_CATEGORY(lcWebApi, "vorfjp.web.api", QtInfoMsg)

namespace webd {

using namespace std::chrono_literals;

namespace {

constexpr QByteArrayView kSessionCookie = "vorfjp_session";
constexpr QByteArrayView kSendPrefix = "/api/send/";

// Every way a request can fail here, with its status, its kind for scripts and its text for the
// operator; %1 is filled in where a text has it.
enum class Problem {
    BadJson,
    UnknownField,
    NoPasswordField,
    BadDevice,
    Unauthorized,
    WrongPassword,
    TooManyLogins,
    LoginsBusy,
    WrongHost,
    ForeignOrigin,
    UnsupportedMediaType,
    TooLarge,
    HeadersTooLarge,
    NotFound,
    MethodNotAllowed,
    NoPassword,
    Malformed,
    UnknownTransferCoding,
};

struct ProblemText {
    int status;
    const char* kind;
    const char16_t* message;
};

ProblemText textOf(Problem problem)
{
    switch (problem) {
    case Problem::BadJson:
        return {400, "bad-json", u"请求的内容不是有效的 JSON 对象。"};
    case Problem::UnknownField:
        return {422, "bad-request", u"请求中有无法识别的字段“%1”。"};
    case Problem::NoPasswordField:
        return {422, "bad-request", u"登录请求须含有字符串字段“password”。"};
    case Problem::BadDevice:
        return {422, "bad-device", u"设备编号须为 0 到 255 之间的整数。"};
    case Problem::Unauthorized:
        return {401, "unauthorized", u"请先登录，或在请求中附上访问令牌（Authorization: Bearer …）。"};
    case Problem::WrongPassword:
        return {401, "wrong-password", u"密码错误。"};
    case Problem::TooManyLogins:
        return {429, "too-many-logins", u"密码错误次数过多，请 %1 秒后再试。"};
    case Problem::LoginsBusy:
        return {429, "logins-busy", u"正在核对其他登录的密码，请稍后再试。"};
    case Problem::WrongHost:
        return {421, "wrong-host", u"请求的主机名不是本服务的地址。请用本服务的地址访问，或用 --allow-host 添加这个名称。"};
    case Problem::ForeignOrigin:
        return {403, "foreign-origin", u"拒绝来自其他网站的修改请求。"};
    case Problem::UnsupportedMediaType:
        return {415, "unsupported-media-type", u"修改请求须以 JSON 格式发送（Content-Type: application/json）。"};
    case Problem::TooLarge:
        return {413, "too-large", u"请求内容超过 %1 KiB 的上限。"};
    case Problem::HeadersTooLarge:
        return {431, "headers-too-large", u"请求头超过 %1 KiB 的上限。"};
    case Problem::NotFound:
        return {404, "not-found", u"没有这个地址。"};
    case Problem::MethodNotAllowed:
        return {405, "method-not-allowed", u"这个地址只接受 %1 请求。"};
    case Problem::NoPassword:
        return {409, "no-password", u"本服务没有设置密码，无需登录。"};
    case Problem::Malformed:
        return {400, "malformed-request", u"请求格式有误：主机名（Host）缺失或重复、来源（Origin）重复，或地址中含有空字符。"};
    case Problem::UnknownTransferCoding:
        return {501, "unknown-transfer-coding", u"不支持这种传输编码（Transfer-Encoding），请不编码或用 chunked 发送。"};
    }
    Q_UNREACHABLE();
}

// Sent with every answer: no guessing of types, no framing by other sites, no referrer, and a
// page that loads nothing from elsewhere.
void addSecurityHeaders(web::HttpResponse& response)
{
    response.headers += {
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'self'"},
        {"X-Frame-Options", "DENY"},
        {"Cross-Origin-Resource-Policy", "same-origin"},
    };
}

web::HttpResponse json(int status, const QJsonObject& body, const web::HttpFields& extraHeaders = {})
{
    web::HttpResponse response;
    response.status = status;
    response.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    response.headers = {{"Content-Type", "application/json; charset=utf-8"}, {"Cache-Control", "no-store"}};
    response.headers += extraHeaders;
    addSecurityHeaders(response);
    return response;
}

web::HttpResponse failure(Problem problem, const QString& detail = QString(), const web::HttpFields& extraHeaders = {})
{
    const ProblemText text = textOf(problem);
    QString message = QString::fromUtf16(text.message);
    if (message.contains(QLatin1String("%1")))
        message = message.arg(detail);
    return json(text.status,
                {{QStringLiteral("ok"), false},
                 {QStringLiteral("problem"), QString::fromLatin1(text.kind)},
                 {QStringLiteral("message"), message}},
                extraHeaders);
}

bool allows(QByteArrayView allow, QByteArrayView method)
{
    const QList<QByteArray> listed = allow.toByteArray().split(',');
    return std::any_of(listed.begin(), listed.end(), [method](const QByteArray& one) { return one.trimmed() == method; });
}

bool isJson(const web::HttpRequest& request)
{
    const std::optional<QByteArray> type = request.header("Content-Type");
    if (!type)
        return false;
    const qsizetype parameters = type->indexOf(';');
    return type->left(parameters < 0 ? type->size() : parameters).trimmed().toLower() == "application/json";
}

// The first key of body that is not one of allowed.
std::optional<QString> unknownField(const QJsonObject& body, std::initializer_list<QLatin1String> allowed)
{
    for (auto it = body.begin(); it != body.end(); ++it) {
        if (std::find(allowed.begin(), allowed.end(), it.key()) == allowed.end())
            return it.key();
    }
    return std::nullopt;
}

// The path of a page file, "/" standing for "/index.html"; nothing for a path that could climb
// out of the page's folder or is not UTF-8.
std::optional<QString> pagePath(const QByteArray& path)
{
    if (!path.startsWith('/') || path.contains('\\') || path.contains('\0') || !QUtf8StringView(path).isValidUtf8())
        return std::nullopt;
    QString normal = QString::fromUtf8(path);
    if (normal.endsWith(u'/'))
        normal += QStringLiteral("index.html");
    const QStringList segments = normal.split(u'/');
    for (qsizetype i = 1; i < segments.size(); ++i) {
        if (segments[i].isEmpty() || segments[i] == QLatin1String(".") || segments[i] == QLatin1String(".."))
            return std::nullopt;
    }
    return normal;
}

// Secure over HTTPS: a browser then never sends it over plain HTTP.
QByteArray sessionCookie(const QByteArray& value, std::chrono::seconds maxAge, bool secure)
{
    return kSessionCookie.toByteArray() + '=' + value + "; Path=/; Max-Age=" + QByteArray::number(qint64(maxAge.count()))
           + "; HttpOnly; SameSite=Strict" + (secure ? "; Secure" : "");
}

// value with every text in it, at any depth, passed through change.
QJsonValue changedTexts(const QJsonValue& value, const std::function<QString(QString)>& change)
{
    if (value.isString())
        return change(value.toString());
    if (value.isArray()) {
        const QJsonArray items = value.toArray();
        QJsonArray array;
        for (const QJsonValue& item : items)
            array.append(changedTexts(item, change));
        return array;
    }
    if (value.isObject()) {
        QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            it.value() = changedTexts(it.value(), change);
        return object;
    }
    return value;
}

} // namespace

enum class WebApi::Endpoint {
    Content,
    Preview,
    Send,
    Status,
    Login,
    Logout,
    Schedule,
    ScheduleCheck,
    ScheduleAt,
    ScheduleTimeline,
    ScheduleHistory,
    Page,
};

struct WebApi::Route {
    Endpoint endpoint;
    QByteArrayView allow; // the methods it takes, as the Allow header lists them
    bool needsLogin;
};

// The route of path, or nothing for a path under /api that is no endpoint.
std::optional<WebApi::Route> WebApi::routeOf(const QByteArray& path)
{
    if (path == "/api/content")
        return Route{Endpoint::Content, "GET, HEAD, PATCH", true};
    if (path == "/api/preview")
        return Route{Endpoint::Preview, "POST", true};
    if (path == "/api/status")
        return Route{Endpoint::Status, "GET, HEAD", true};
    if (path == "/api/login")
        return Route{Endpoint::Login, "POST", false};
    if (path == "/api/schedule")
        return Route{Endpoint::Schedule, "GET, HEAD, PUT", true};
    if (path == "/api/schedule/check")
        return Route{Endpoint::ScheduleCheck, "POST", true};
    if (path == "/api/schedule/at")
        return Route{Endpoint::ScheduleAt, "GET, HEAD", true};
    if (path == "/api/schedule/timeline")
        return Route{Endpoint::ScheduleTimeline, "GET, HEAD", true};
    if (path == "/api/schedule/history")
        return Route{Endpoint::ScheduleHistory, "GET, HEAD", true};
    if (path == "/api/logout")
        return Route{Endpoint::Logout, "POST", false};
    if (path.startsWith(kSendPrefix)) {
        if (board::commandNamed(QString::fromUtf8(QByteArrayView(path).sliced(kSendPrefix.size()))))
            return Route{Endpoint::Send, "POST", true};
        return std::nullopt;
    }
    if (path == "/api" || path.startsWith("/api/"))
        return std::nullopt;
    return Route{Endpoint::Page, "GET, HEAD", false};
}

WebApi::WebApi(BoardService& board, const web::StaticFiles& files, const WebApiSettings& settings, QObject* parent)
    : QObject(parent),
      m_board(board),
      m_files(files),
      m_credentials(settings.credentials),
      m_passwordRequired(web::storedPassword(settings.credentials.password).state != web::StoredPassword::None),
      m_sessions(settings.sessionLifetime, settings.clock),
      m_logins(settings.login, settings.clock),
      m_loginLimits(settings.login),
      m_passwordCheck(settings.passwordCheck),
      m_contentFolder(settings.contentPath.isEmpty() ? QString() : QFileInfo(settings.contentPath).absolutePath() + u'/')
{
    // Each Argon2id check takes a core and 64 MiB for a tenth of a second: two at a time at
    // most, and always a core left for the event loop.
    m_hashing.setMaxThreadCount(std::clamp(QThread::idealThreadCount() - 1, 1, 2));
}

WebApi::~WebApi()
{
    m_hashing.clear();
    m_hashing.waitForDone();
}

void WebApi::setAcceptedHosts(const QStringList& hosts)
{
    m_hosts.clear();
    for (const QString& host : hosts)
        m_hosts.insert(host.toLower().toUtf8());
}

bool WebApi::passwordRequired() const
{
    return m_passwordRequired;
}

void WebApi::setScheduleService(ScheduleService* schedule)
{
    m_schedule = schedule;
}

web::HttpResponse WebApi::refusal(web::Refusal refusal)
{
    switch (refusal) {
    case web::Refusal::BodyTooLarge:
        return failure(Problem::TooLarge, QString::number(web::kMaxBodyBytes / 1024));
    case web::Refusal::HeadersTooLarge:
        return failure(Problem::HeadersTooLarge, QString::number(web::kMaxHeaderBytes / 1024));
    case web::Refusal::Malformed:
        return failure(Problem::Malformed);
    case web::Refusal::UnknownTransferCoding:
        return failure(Problem::UnknownTransferCoding);
    }
    Q_UNREACHABLE();
}

void WebApi::handle(const web::HttpRequest& request, const Answer& answer)
{
    // However the board side behaves, the request is answered once.
    const Answer once = [answer, answered = std::make_shared<bool>(false)](web::HttpResponse response) {
        if (!std::exchange(*answered, true))
            answer(std::move(response));
    };
    if (!hostAccepted(request))
        return once(failure(Problem::WrongHost));
    const std::optional<Route> route = routeOf(request.path);
    if (!route)
        return once(failure(Problem::NotFound));
    if (!allows(route->allow, request.method))
        return once(failure(Problem::MethodNotAllowed, QString::fromLatin1(route->allow),
                            {{"Allow", route->allow.toByteArray()}}));
    const bool changesState = request.method == "POST" || request.method == "PATCH" || request.method == "PUT";
    if (changesState && originForeign(request))
        return once(failure(Problem::ForeignOrigin));
    if (route->needsLogin && m_passwordRequired && !authorized(request))
        return once(failure(Problem::Unauthorized, QString(), {{"WWW-Authenticate", "Bearer"}}));
    QJsonObject body;
    if (changesState) {
        if (!isJson(request))
            return once(failure(Problem::UnsupportedMediaType));
        if (!request.body.isEmpty()) {
            QJsonParseError error;
            const QJsonDocument document = QJsonDocument::fromJson(request.body, &error);
            if (error.error != QJsonParseError::NoError || !document.isObject())
                return once(failure(Problem::BadJson));
            body = document.object();
        }
    }
    serve(route->endpoint, request, body, once);
}

web::HttpResponse WebApi::fromService(const ServiceAnswer& service) const
{
    if (m_contentFolder.isEmpty())
        return json(service.httpStatus, service.body);
    bool named = false;
    const QJsonValue body = changedTexts(service.body, [this, &named](QString text) {
        if (!text.contains(m_contentFolder))
            return text;
        qCWarning(lcWebApi).noquote() << text;
        named = true;
        return text.remove(m_contentFolder);
    });
    return json(service.httpStatus, named ? body.toObject() : service.body);
}

void WebApi::serve(Endpoint endpoint, const web::HttpRequest& request, const QJsonObject& body, const Answer& answer)
{
    switch (endpoint) {
    case Endpoint::Content:
        if (request.method == "PATCH")
            return answer(fromService(m_board.patchContent(body)));
        return answer(fromService(m_board.content()));
    case Endpoint::Preview:
        return answer(fromService(m_board.preview(body)));
    case Endpoint::Send:
        return send(request.path.mid(kSendPrefix.size()), body, answer);
    case Endpoint::Status: {
        QJsonObject status = m_board.status();
        status[QStringLiteral("passwordRequired")] = m_passwordRequired;
        if (m_schedule)
            status[QStringLiteral("schedule")] = m_schedule->running();
        return answer(json(200, status));
    }
    case Endpoint::Login:
        return login(request, body, answer);
    case Endpoint::Logout:
        if (const std::optional<QByteArray> id = request.cookie(kSessionCookie))
            m_sessions.close(*id);
        return answer(json(200, {{QStringLiteral("ok"), true}}, {{"Set-Cookie", sessionCookie({}, 0s, request.secure)}}));
    case Endpoint::Schedule:
    case Endpoint::ScheduleCheck:
    case Endpoint::ScheduleAt:
    case Endpoint::ScheduleTimeline:
    case Endpoint::ScheduleHistory:
        return serveSchedule(endpoint, request, body, answer);
    case Endpoint::Page:
        return answer(page(request));
    }
}

void WebApi::serveSchedule(Endpoint endpoint, const web::HttpRequest& request, const QJsonObject& body, const Answer& answer)
{
    if (!m_schedule)
        return answer(failure(Problem::NotFound));
    const auto reply = [&answer](const ServiceAnswer& service) { answer(json(service.httpStatus, service.body)); };
    switch (endpoint) {
    case Endpoint::Schedule:
        return reply(request.method == "PUT" ? m_schedule->store(body, requester(request)) : m_schedule->schedule());
    case Endpoint::ScheduleCheck:
        return reply(m_schedule->check(body));
    case Endpoint::ScheduleAt:
        return reply(m_schedule->at(request.query));
    case Endpoint::ScheduleTimeline:
        return reply(m_schedule->timeline(request.query));
    case Endpoint::ScheduleHistory:
        return reply(m_schedule->history());
    default:
        return answer(failure(Problem::NotFound));
    }
}

void WebApi::send(const QByteArray& command, const QJsonObject& body, const Answer& answer)
{
    if (const std::optional<QString> unknown = unknownField(body, {QLatin1String("device")}))
        return answer(failure(Problem::UnknownField, *unknown));
    std::optional<int> device;
    if (body.contains(QLatin1String("device"))) {
        const QJsonValue value = body.value(QLatin1String("device"));
        const double number = value.toDouble(-1);
        if (!value.isDouble() || number != std::floor(number) || number < 0 || number > 255)
            return answer(failure(Problem::BadDevice));
        device = int(number);
    }
    m_board.send(QString::fromLatin1(command), device,
                 [this, answer](const ServiceAnswer& service) { answer(fromService(service)); });
}

void WebApi::login(const web::HttpRequest& request, const QJsonObject& body, const Answer& answer)
{
    if (!m_passwordRequired)
        return answer(failure(Problem::NoPassword));
    const std::chrono::milliseconds locked = m_logins.lockedFor(request.peer);
    if (locked > 0ms) {
        const qint64 seconds = (locked.count() + 999) / 1000;
        return answer(failure(Problem::TooManyLogins, QString::number(seconds),
                              {{"Retry-After", QByteArray::number(seconds)}}));
    }
    if (const std::optional<QString> unknown = unknownField(body, {QLatin1String("password")}))
        return answer(failure(Problem::UnknownField, *unknown));
    const QJsonValue password = body.value(QLatin1String("password"));
    if (!password.isString())
        return answer(failure(Problem::NoPasswordField));
    // One check at a time for each address, a few in all: a flood of guesses waits for nothing,
    // and holds up nobody else.
    const bool addressChecking = std::any_of(m_pendingLogins.cbegin(), m_pendingLogins.cend(),
                                             [&](const PendingLogin& pending) { return pending.peer == request.peer; });
    if (addressChecking || m_pendingLogins.size() >= std::max(1, m_loginLimits.maxChecks))
        return answer(failure(Problem::LoginsBusy, QString(), {{"Retry-After", "1"}}));
    const quint64 check = ++m_lastCheck;
    m_pendingLogins.insert(check, {request.peer, request.secure, web::storedPassword(m_credentials.password).generation, answer});
    m_hashing.start([this, check, path = m_credentials.password, typed = password.toString().toUtf8(),
                     matches = m_passwordCheck] {
        const bool matched = matches(path, typed);
        QMetaObject::invokeMethod(this, [this, check, matched] { loginChecked(check, matched); }, Qt::QueuedConnection);
    });
}

void WebApi::loginChecked(quint64 check, bool matched)
{
    const PendingLogin pending = m_pendingLogins.take(check);
    if (matched) {
        m_logins.succeed(pending.peer);
        return pending.answer(json(200, {{QStringLiteral("ok"), true}},
                                   {{"Set-Cookie", sessionCookie(m_sessions.open(pending.generation),
                                                                 m_sessions.lifetime(), pending.secure)}}));
    }
    // Held back on a timer: the event loop, and every other request, goes on meanwhile.
    QTimer::singleShot(m_logins.fail(pending.peer), this,
                       [answer = pending.answer] { answer(failure(Problem::WrongPassword)); });
}

bool WebApi::hostAccepted(const web::HttpRequest& request) const
{
    const std::optional<QByteArray> host = request.header("Host");
    return host && m_hosts.contains(host->toLower());
}

bool WebApi::originForeign(const web::HttpRequest& request) const
{
    if (const std::optional<QByteArray> origin = request.header("Origin")) {
        const QByteArray site = origin->toLower();
        for (const QByteArray& host : m_hosts) {
            if (site == "http://" + host || site == "https://" + host)
                return false;
        }
        return true;
    }
    // Browsers send Origin with every POST and PATCH; without one, trust what they say instead.
    const std::optional<QByteArray> fetchSite = request.header("Sec-Fetch-Site");
    return fetchSite && fetchSite->toLower() == "cross-site";
}

bool WebApi::authorized(const web::HttpRequest& request)
{
    if (const std::optional<QByteArray> authorization = request.header("Authorization")) {
        constexpr QByteArrayView kBearer = "bearer ";
        if (authorization->size() > kBearer.size()
            && QByteArrayView(*authorization).first(kBearer.size()).compare(kBearer, Qt::CaseInsensitive) == 0
            && web::tokenMatches(m_credentials.tokens, authorization->mid(kBearer.size()).trimmed()))
            return true;
    }
    const std::optional<QByteArray> session = request.cookie(kSessionCookie);
    return session && m_sessions.isOpen(*session, web::storedPassword(m_credentials.password).generation);
}

QString WebApi::requester(const web::HttpRequest& request)
{
    if (const std::optional<QByteArray> authorization = request.header("Authorization")) {
        constexpr QByteArrayView kBearer = "bearer ";
        if (authorization->size() > kBearer.size()
            && QByteArrayView(*authorization).first(kBearer.size()).compare(kBearer, Qt::CaseInsensitive) == 0) {
            if (const std::optional<QString> name = web::tokenName(m_credentials.tokens, authorization->mid(kBearer.size()).trimmed()))
                return QStringLiteral("token ") + *name;
        }
    }
    if (const std::optional<QByteArray> session = request.cookie(kSessionCookie);
        session && m_sessions.isOpen(*session, web::storedPassword(m_credentials.password).generation))
        return QStringLiteral("page session");
    return QStringLiteral("no login");
}

web::HttpResponse WebApi::page(const web::HttpRequest& request) const
{
    const std::optional<QString> path = pagePath(request.path);
    const std::optional<web::StaticFile> file = path ? m_files.file(*path) : std::nullopt;
    if (!file)
        return failure(Problem::NotFound);
    web::HttpResponse response;
    response.status = 200;
    response.body = file->bytes;
    response.headers = {{"Content-Type", file->contentType}, {"Cache-Control", "no-cache"}};
    addSecurityHeaders(response);
    return response;
}

} // namespace webd
