// The schedule endpoints through the whole HTTP service over 127.0.0.1, on a content file of
// the test's own: what is stored and what is refused, the plan in force at a moment and over
// days, and the history of edits with who made them.
#include "support/board_double.h"
#include "web/credentials.h"
#include "web_clients.h"
#include "webd/schedule_service.h"
#include "webd/web_service.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace webtest;

class NoPage : public web::StaticFiles {
public:
    std::optional<web::StaticFile> file(const QString&) const override { return std::nullopt; }
};

constexpr const char* kHotel = R"({"revision": %1, "timezone": "Asia/Shanghai",
  "plans": {"weekday": {"rooms": ["988"]}, "weekend": {"rooms": ["1088"]}, "winter": {"rates": [{"a": "712.35"}]}},
  "rules": [
    {"id": "week", "plan": "weekday", "weekly": [{"from": "mon 06:00", "to": "fri 18:00"}]},
    {"id": "wkend", "plan": "weekend", "weekly": [{"from": "fri 18:00", "to": "mon 06:00"}]},
    {"id": "winter", "plan": "winter", "season": {"from": "12-20", "to": "01-06"}}]})";

QByteArray hotel(int basedOn)
{
    return QString::fromLatin1(kHotel).arg(basedOn).toUtf8();
}

TEST(ScheduleApi, StoresChecksAndResolvesTheScheduleBesideTheContentFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString content = dir.filePath(QStringLiteral("VorFjp.ini"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORFJP_SOURCE_DIR "/data/VorFjp.ini"), content));
    const web::CredentialFiles files {dir.filePath(QStringLiteral("web-password")), dir.filePath(QStringLiteral("web-tokens")),
                                     dir.filePath(QStringLiteral("web-tls.crt")), dir.filePath(QStringLiteral("web-tls.key"))};
    ASSERT_EQ(web::storePassword(files.password, "Zimmer 12 frei", web::PasswordCost::Minimal), std::nullopt);
    const web::NewToken token = web::storeNewToken(files.tokens, QStringLiteral("hotel-desk"));
    ASSERT_TRUE(token.token.has_value()) << token.error.toStdString();

    BoardDouble board;
    const NoPage page;
    webd::WebServiceSettings settings;
    settings.api.credentials = files;
    webd::WebService service(board, page, settings);
    webd::ScheduleService schedules({content, [] { return QDateTime(QDate(2026, 12, 9), QTime(18, 0), Qt::UTC); }, {}, {}});
    service.setScheduleService(&schedules);
    ASSERT_EQ(service.listen({QHostAddress(QHostAddress::LocalHost), 0, false}, {}), std::nullopt);
    const quint16 port = service.port();
    const QStringList auth {QStringLiteral("-H"), QStringLiteral("Authorization: Bearer ") + QString::fromLatin1(*token.token)};
    const auto get = [&](const QString& path) { return curl(port, path, auth); };
    const auto send = [&](const QString& method, const QString& path, const QByteArray& body) {
        return curl(port, path, auth + jsonRequest(method, body));
    };

    EXPECT_EQ(curl(port, QStringLiteral("/api/schedule")).status, 401);
    CurlAnswer answer = get(QStringLiteral("/api/schedule"));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.json(), (QJsonObject {{"revision", 0}, {"plans", QJsonObject {}}, {"rules", QJsonArray {}}}));

    // A room rate too wide for its cells and a second weekly rule over the weekend: nothing stored.
    QByteArray refused = hotel(0);
    refused.replace(R"(["988"])", R"(["98888"])");
    refused.replace(R"("season": {"from": "12-20", "to": "01-06"})", R"("season": {"from": "12-20", "to": "01-06"}},
        {"id": "sunday", "plan": "weekend", "weekly": [{"from": "sun 00:00", "to": "sun 12:00"}])");
    answer = send(QStringLiteral("PUT"), QStringLiteral("/api/schedule"), refused);
    EXPECT_EQ(answer.status, 422);
    EXPECT_EQ(answer.json().value("problem").toString(), QStringLiteral("bad-schedule"));
    const QJsonObject errors = answer.json().value("errors").toObject();
    EXPECT_EQ(errors.keys(), QStringList({"plans.weekday.rooms.1", "rules.4"}));
    EXPECT_EQ(answer.json().value("clashes").toArray(),
              (QJsonArray {QJsonObject {{"rules", QJsonArray {"wkend", "sunday"}}, {"level", "weekly"}, {"areas", QJsonArray {"rooms"}}}}));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("schedule.json"))));
    answer = send(QStringLiteral("POST"), QStringLiteral("/api/schedule/check"), refused);
    EXPECT_EQ(answer.status, 200);
    EXPECT_FALSE(answer.json().value("ok").toBool(true));
    EXPECT_EQ(answer.json().value("errors").toObject(), errors);

    answer = send(QStringLiteral("PUT"), QStringLiteral("/api/schedule"), hotel(0));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.json().value("revision").toInt(), 1);
    answer = send(QStringLiteral("PUT"), QStringLiteral("/api/schedule"), hotel(0));
    EXPECT_EQ(answer.status, 412);
    EXPECT_EQ(answer.json().value("revision").toInt(), 1);
    EXPECT_EQ(get(QStringLiteral("/api/schedule")).json().value("revision").toInt(), 1);

    // Saturday evening, asked in the schedule's zone and with an offset.
    for (const QString& time : {QStringLiteral("2026-12-19T20:00"), QStringLiteral("2026-12-19T12:00:00Z"),
                                QStringLiteral("2026-12-19T20:00:00%2B08:00"), QStringLiteral("2026-12-19T20:00+08:00")}) {
        answer = get(QStringLiteral("/api/schedule/at?time=") + time);
        ASSERT_EQ(answer.status, 200) << time.toStdString();
        const QJsonObject at = answer.json();
        EXPECT_EQ(at.value("time").toString(), QStringLiteral("2026-12-19T20:00:00+08:00"));
        EXPECT_EQ(at.value("areas").toObject(),
                  (QJsonObject {{"rooms", QJsonObject {{"plan", "weekend"}, {"rule", "wkend"}, {"level", "weekly"}}},
                                {"rates", QJsonValue::Null},
                                {"weather", QJsonValue::Null}}));
        EXPECT_EQ(at.value("content").toObject().value("rooms").toArray().at(0).toString(), QStringLiteral("1088"));
        EXPECT_EQ(at.value("next").toString(), QStringLiteral("2026-12-20T00:00:00+08:00"));
    }
    answer = get(QStringLiteral("/api/schedule/at?time=2026-12-19"));
    EXPECT_EQ(answer.status, 422);
    EXPECT_EQ(answer.json().value("problem").toString(), QStringLiteral("bad-time"));

    answer = get(QStringLiteral("/api/schedule/timeline?from=2026-12-18T00:00&to=2026-12-21T00:00"));
    ASSERT_EQ(answer.status, 200);
    const QJsonObject areas = answer.json().value("areas").toObject();
    EXPECT_EQ(areas.value("rooms").toArray(),
              (QJsonArray {QJsonObject {{"from", "2026-12-18T00:00:00+08:00"}, {"to", "2026-12-18T18:00:00+08:00"},
                                        {"plan", "weekday"}, {"rule", "week"}, {"level", "weekly"}},
                           QJsonObject {{"from", "2026-12-18T18:00:00+08:00"}, {"to", "2026-12-21T00:00:00+08:00"},
                                        {"plan", "weekend"}, {"rule", "wkend"}, {"level", "weekly"}}}));
    EXPECT_EQ(areas.value("rates").toArray().at(0).toObject().value("plan"), QJsonValue::Null);
    EXPECT_EQ(areas.value("rates").toArray().at(1).toObject().value("from").toString(), QStringLiteral("2026-12-20T00:00:00+08:00"));
    EXPECT_EQ(get(QStringLiteral("/api/schedule/timeline?from=2026-12-21T00:00&to=2026-12-18T00:00")).status, 422);

    answer = get(QStringLiteral("/api/schedule/history"));
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.json().value("entries").toArray(),
              (QJsonArray {QJsonObject {{"time", "2026-12-10T02:00:00+08:00"}, {"kind", "edit"}, {"who", "token hotel-desk"},
                                        {"revision", 1}}}));
    // The schedule endpoints neither change the content nor send.
    EXPECT_EQ(board.patchCalls, 0);
    EXPECT_TRUE(board.sends.isEmpty());
}

} // namespace
