// The API's handling of one request, as the HTTP library would hand it over, with a password set
// and one known token. The input is read as
//   METHOD PATH[?QUERY] \n (NAME: VALUE \n)* \n BODY
// Whatever comes in: exactly one answer, a status from 200 to 599 with the security headers, a
// failure body of the documented shape, and the board side changed or asked to send only by a
// request that carried the token.
#include "support/board_double.h"
#include "web/credentials.h"
#include "webd/web_api.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr QByteArrayView kToken = "T0k3n-for-the-fuzz-harness-only";

struct Setup {
    Setup()
    {
        if (!dir.isValid())
            std::abort();
        files = {dir.filePath(QStringLiteral("web-password")), dir.filePath(QStringLiteral("web-tokens")),
                 dir.filePath(QStringLiteral("web-tls.crt")), dir.filePath(QStringLiteral("web-tls.key"))};
        if (web::storePassword(files.password, "fuzz-password", web::PasswordCost::Minimal))
            std::abort();
        QFile tokens(files.tokens);
        if (!tokens.open(QIODevice::WriteOnly))
            std::abort();
        tokens.write("fuzz " + web::secretHash(kToken).toHex() + '\n');
    }

    int argc = 1;
    char name[16] = "fuzz_web";
    char* argv[2] = {name, nullptr};
    QCoreApplication application{argc, argv};
    QTemporaryDir dir;
    web::CredentialFiles files;
};

web::HttpFields splitCookies(const QByteArray& header)
{
    web::HttpFields cookies;
    for (const QByteArray& pair : header.split(';')) {
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0)
            cookies.append({pair.left(equals).trimmed(), pair.mid(equals + 1).trimmed()});
    }
    return cookies;
}

web::HttpRequest requestOf(const QByteArray& input)
{
    web::HttpRequest request;
    const qsizetype headEnd = input.indexOf("\n\n");
    const QByteArray head = headEnd < 0 ? input : input.left(headEnd);
    request.body = headEnd < 0 ? QByteArray() : input.mid(headEnd + 2);
    const QList<QByteArray> lines = head.split('\n');
    const QByteArray first = lines.value(0);
    const qsizetype space = first.indexOf(' ');
    request.method = space < 0 ? first : first.left(space);
    QByteArray target = space < 0 ? QByteArray("/") : first.mid(space + 1);
    const qsizetype question = target.indexOf('?');
    if (question >= 0) {
        for (const QByteArray& argument : target.mid(question + 1).split('&')) {
            const qsizetype equals = argument.indexOf('=');
            request.query.append({argument.left(equals < 0 ? argument.size() : equals),
                                  equals < 0 ? QByteArray() : argument.mid(equals + 1)});
        }
        target.truncate(question);
    }
    request.path = target;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0)
            continue;
        request.headers.append({lines[i].left(colon), lines[i].mid(colon + 1).trimmed()});
    }
    if (const std::optional<QByteArray> cookie = request.header("Cookie"))
        request.cookies = splitCookies(*cookie);
    request.peer = QHostAddress(QHostAddress::LocalHost);
    return request;
}

bool hasHeader(const web::HttpResponse& response, QByteArrayView name, QByteArrayView value)
{
    return std::any_of(response.headers.begin(), response.headers.end(),
                       [&](const auto& header) { return header.first == name && header.second == value; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    const web::HttpRequest request = requestOf(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));

    webtest::BoardDouble board;
    const QJsonObject before = board.currentContent();
    web::NoStaticFiles page;
    webd::WebApiSettings settings;
    settings.credentials = setup.files;
    settings.login.firstDelay = std::chrono::milliseconds(0);
    settings.login.maxDelay = std::chrono::milliseconds(0);
    webd::WebApi api(board, page, settings);
    api.setAcceptedHosts({QStringLiteral("127.0.0.1:8417"), QStringLiteral("localhost:8417")});

    QList<web::HttpResponse> answers;
    api.handle(request, [&answers](web::HttpResponse response) { answers.append(std::move(response)); });
    const bool sent = !board.sends.isEmpty();
    while (!board.sends.isEmpty())
        board.finishSend({200, {{QStringLiteral("ok"), true}}});
    // A password is checked on a worker thread and a wrong one answered on a timer: wait for the
    // answer by events, within a bound that only a lost answer reaches.
    const QDeadlineTimer bound(10000);
    while (answers.isEmpty() && !bound.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);

    if (answers.size() != 1)
        std::abort();
    const web::HttpResponse& answer = answers.front();
    if (answer.status < 200 || answer.status > 599 || !hasHeader(answer, "X-Content-Type-Options", "nosniff"))
        std::abort();
    if (answer.status >= 400) {
        const QJsonObject body = QJsonDocument::fromJson(answer.body).object();
        const bool problem = body.value(QLatin1String("ok")) == false
                             && !body.value(QLatin1String("problem")).toString().isEmpty()
                             && !body.value(QLatin1String("message")).toString().isEmpty();
        if (!problem && !body.value(QLatin1String("errors")).isObject())
            std::abort();
    }
    const std::optional<QByteArray> authorization = request.header("Authorization");
    const bool tokenGiven = authorization && authorization->contains(kToken.toByteArray());
    const bool hostKnown = request.header("Host").has_value();
    if ((board.currentContent() != before || board.patchCalls > 0) && !(tokenGiven && hostKnown && request.method == "PATCH"))
        std::abort();
    if (sent && !(tokenGiven && hostKnown && request.method == "POST"))
        std::abort();
    return 0;
}
