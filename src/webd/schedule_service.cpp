#include "webd/schedule_service.h"

#include "board/content_edit.h"
#include "board/operator_text.h"
#include "schedule/resolver.h"
#include "schedule/schedule_file.h"
#include "storage/content_file.h"

#include <QJsonArray>
#include <QRegularExpression>

#include <variant>

namespace webd {

namespace {

QJsonObject failure(const QString& problem, const QString& message)
{
    return {{QStringLiteral("ok"), false}, {QStringLiteral("problem"), problem}, {QStringLiteral("message"), message}};
}

// A plan's value is held to what a change of that field would be held to.
QString checkValue(storage::Field field, const QString& value)
{
    const board::Applied applied = board::applyEdits(storage::BoardContent {}, {{field, QJsonValue(value)}});
    return applied.errors.empty() ? QString() : board::editErrorText(applied.errors.front());
}

QJsonObject errorsJson(const std::vector<schedule::FieldError>& errors)
{
    QJsonObject byField;
    for (const schedule::FieldError& error : errors) {
        const QString before = byField.value(error.field).toString();
        byField[error.field] = before.isEmpty() ? error.message : before + u' ' + error.message;
    }
    return byField;
}

QJsonArray clashesJson(const std::vector<schedule::Clash>& clashes)
{
    QJsonArray list;
    for (const schedule::Clash& clash : clashes) {
        QJsonArray areas;
        for (const schedule::Area area : clash.areas)
            areas.append(schedule::areaName(area));
        list.append(QJsonObject {{QStringLiteral("rules"), QJsonArray {clash.first, clash.second}},
                                 {QStringLiteral("level"), schedule::levelName(clash.level)},
                                 {QStringLiteral("areas"), areas}});
    }
    return list;
}

QJsonValue winnerJson(const std::optional<schedule::Winner>& winner)
{
    if (!winner)
        return QJsonValue::Null;
    return QJsonObject {{QStringLiteral("plan"), winner->plan},
                        {QStringLiteral("rule"), winner->rule},
                        {QStringLiteral("level"), schedule::levelName(winner->level)}};
}

QString isoOf(const schedule::LocalClock& clock, qint64 ms)
{
    return clock.dateTimeOf(ms).toString(Qt::ISODate);
}

std::optional<QString> queryValue(const web::HttpFields& query, QByteArrayView name)
{
    for (const auto& [key, value] : query) {
        if (key == name)
            return QString::fromUtf8(value);
    }
    return std::nullopt;
}

// A time as the endpoints take it; nullopt when it is none.
std::optional<qint64> instantOf(const schedule::LocalClock& clock, QString text)
{
    // A "+" typed into a query as it stands arrives as a blank (form encoding).
    static const QRegularExpression blankOffset(QStringLiteral(" ([0-9]{2}:[0-9]{2})$"));
    text.replace(blankOffset, QStringLiteral("+\\1"));
    static const QRegularExpression local(
        QStringLiteral("^([0-9]{4})-([0-9]{2})-([0-9]{2})T([01][0-9]|2[0-3]):([0-5][0-9])(?::([0-5][0-9]))?$"));
    if (const QRegularExpressionMatch match = local.match(text); match.hasMatch()) {
        const QDate date(match.capturedView(1).toInt(), match.capturedView(2).toInt(), match.capturedView(3).toInt());
        if (!date.isValid())
            return std::nullopt;
        const int minute = match.capturedView(4).toInt() * 60 + match.capturedView(5).toInt();
        return clock.instantOf(schedule::localMinuteOf(date, minute)) + match.capturedView(6).toInt() * 1000LL;
    }
    static const QRegularExpression withOffset(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:.]+(Z|[+-][0-9]{2}:[0-9]{2})$"));
    if (!withOffset.match(text).hasMatch())
        return std::nullopt;
    const QDateTime moment = QDateTime::fromString(text, Qt::ISODateWithMs);
    return moment.isValid() ? std::optional<qint64>(moment.toMSecsSinceEpoch()) : std::nullopt;
}

ServiceAnswer badTime(const QString& name, const QString& given)
{
    QJsonObject body = failure(QStringLiteral("bad-time"),
                               QStringLiteral("“%1”不是有效的时间：须为日程时区的“YYYY-MM-DDTHH:MM”，或带时差，如“2026-12-19T20:00+08:00”。")
                                   .arg(given));
    body.insert(QStringLiteral("field"), name);
    return {422, body};
}

// The stored schedule, or the answer that says why there is none.
std::variant<schedule::Schedule, ServiceAnswer> stored(const QString& contentPath)
{
    schedule::LoadedSchedule loaded = schedule::loadSchedule(contentPath, checkValue);
    if (loaded.schedule)
        return std::move(*loaded.schedule);
    QJsonObject body = failure(QStringLiteral("schedule-unusable"),
                               loaded.error.isEmpty()
                                   ? QStringLiteral("日程文件“%1”有错，请在页面上修改后重新保存。").arg(schedule::schedulePath(contentPath))
                                   : loaded.error);
    body.insert(QStringLiteral("errors"), errorsJson(loaded.errors));
    return ServiceAnswer {503, body};
}

} // namespace

ScheduleService::ScheduleService(ScheduleServiceSetup setup)
    : m_setup(std::move(setup))
{
}

ServiceAnswer ScheduleService::schedule()
{
    auto loaded = stored(m_setup.contentPath);
    if (auto* answer = std::get_if<ServiceAnswer>(&loaded))
        return *answer;
    return {200, schedule::scheduleJson(std::get<schedule::Schedule>(loaded))};
}

ServiceAnswer ScheduleService::store(const QJsonObject& body, const QString& who)
{
    const schedule::StoreResult result = schedule::storeSchedule(m_setup.contentPath, body, checkValue);
    switch (result.outcome) {
    case schedule::StoreOutcome::Stored: {
        const schedule::LocalClock clock(result.schedule->zone());
        schedule::appendHistory(m_setup.contentPath,
                                {{QStringLiteral("time"), isoOf(clock, m_setup.clock().toMSecsSinceEpoch())},
                                 {QStringLiteral("kind"), QStringLiteral("edit")},
                                 {QStringLiteral("who"), who},
                                 {QStringLiteral("revision"), result.currentRevision}});
        if (m_setup.stored)
            m_setup.stored();
        return {200, schedule::scheduleJson(*result.schedule)};
    }
    case schedule::StoreOutcome::Stale: {
        QJsonObject answer = failure(QStringLiteral("stale-revision"),
                                     QStringLiteral("日程已被修改（现为第 %1 版），这次修改基于第 %2 版。请重新载入日程后再修改。")
                                         .arg(result.currentRevision)
                                         .arg(body.value(QLatin1String("revision")).toInt()));
        answer.insert(QStringLiteral("revision"), result.currentRevision);
        return {412, answer};
    }
    case schedule::StoreOutcome::Invalid: {
        QJsonObject answer = failure(QStringLiteral("bad-schedule"), QStringLiteral("日程有错，没有保存。请按各项的说明修改。"));
        answer.insert(QStringLiteral("errors"), errorsJson(result.errors));
        answer.insert(QStringLiteral("clashes"), clashesJson(result.clashes));
        return {422, answer};
    }
    case schedule::StoreOutcome::Failed:
        break;
    }
    return {500, failure(QStringLiteral("write-failed"), result.error)};
}

ServiceAnswer ScheduleService::check(const QJsonObject& body)
{
    const schedule::ParseResult result = schedule::parseSchedule(body, checkValue);
    return {200, {{QStringLiteral("ok"), result.errors.empty()},
                  {QStringLiteral("errors"), errorsJson(result.errors)},
                  {QStringLiteral("clashes"), clashesJson(result.clashes)}}};
}

ServiceAnswer ScheduleService::at(const web::HttpFields& query)
{
    auto loaded = stored(m_setup.contentPath);
    if (auto* answer = std::get_if<ServiceAnswer>(&loaded))
        return *answer;
    const schedule::Schedule& plans = std::get<schedule::Schedule>(loaded);
    const schedule::Resolver resolver(plans);
    const std::optional<QString> given = queryValue(query, "time");
    const std::optional<qint64> moment = given ? instantOf(resolver.clock(), *given)
                                               : std::optional<qint64>(m_setup.clock().toMSecsSinceEpoch());
    if (!moment)
        return badTime(QStringLiteral("time"), *given);
    const storage::DecodeResult content = storage::loadContentFile(m_setup.contentPath);
    if (!content.content) {
        const board::Told told = board::tell(board::ContentUnusable {content.error, {}});
        return {told.httpStatus, failure(QString::fromLatin1(told.kind), content.error)};
    }

    const schedule::Winners winners = resolver.winnersAt(*moment);
    QJsonObject areas;
    for (const schedule::Area area : schedule::kAreas)
        areas.insert(schedule::areaName(area), winnerJson(winners[std::size_t(area)]));
    const std::optional<qint64> next = resolver.nextChange(*moment);
    return {200, {{QStringLiteral("time"), isoOf(resolver.clock(), *moment)},
                  {QStringLiteral("areas"), areas},
                  {QStringLiteral("content"), board::contentJson(schedule::contentWith(plans, winners, *content.content))},
                  {QStringLiteral("next"), next ? QJsonValue(isoOf(resolver.clock(), *next)) : QJsonValue::Null}}};
}

ServiceAnswer ScheduleService::timeline(const web::HttpFields& query)
{
    auto loaded = stored(m_setup.contentPath);
    if (auto* answer = std::get_if<ServiceAnswer>(&loaded))
        return *answer;
    const schedule::Resolver resolver(std::get<schedule::Schedule>(loaded));
    std::optional<qint64> ends[2];
    const char* const names[2] = {"from", "to"};
    for (int i = 0; i < 2; ++i) {
        const QString given = queryValue(query, names[i]).value_or(QString());
        ends[i] = instantOf(resolver.clock(), given);
        if (!ends[i])
            return badTime(QLatin1String(names[i]), given);
    }
    const qint64 from = *ends[0];
    const qint64 to = *ends[1];
    if (to <= from || to - from > kMaxTimelineDays * 24LL * 60 * 60 * 1000) {
        QJsonObject body = failure(QStringLiteral("bad-range"),
                                   QStringLiteral("时间段须从 from 到更晚的 to，最长 %1 天。").arg(kMaxTimelineDays));
        body.insert(QStringLiteral("field"), QStringLiteral("to"));
        return {422, body};
    }
    const schedule::Timeline timeline = resolver.timeline(from, to);
    QJsonObject areas;
    for (const schedule::Area area : schedule::kAreas) {
        QJsonArray segments;
        for (const schedule::Segment& segment : timeline[std::size_t(area)]) {
            QJsonObject entry {{QStringLiteral("from"), isoOf(resolver.clock(), segment.fromMs)},
                               {QStringLiteral("to"), isoOf(resolver.clock(), segment.toMs)}};
            for (const char* key : {"plan", "rule", "level"})
                entry.insert(QLatin1String(key), QJsonValue::Null);
            if (segment.winner) {
                entry[QStringLiteral("plan")] = segment.winner->plan;
                entry[QStringLiteral("rule")] = segment.winner->rule;
                entry[QStringLiteral("level")] = schedule::levelName(segment.winner->level);
            }
            segments.append(entry);
        }
        areas.insert(schedule::areaName(area), segments);
    }
    return {200, {{QStringLiteral("from"), isoOf(resolver.clock(), from)},
                  {QStringLiteral("to"), isoOf(resolver.clock(), to)},
                  {QStringLiteral("areas"), areas}}};
}

ServiceAnswer ScheduleService::history()
{
    const QJsonArray oldestFirst = schedule::loadHistory(m_setup.contentPath);
    QJsonArray newestFirst;
    for (qsizetype i = oldestFirst.size() - 1; i >= 0; --i)
        newestFirst.append(oldestFirst.at(i));
    return {200, {{QStringLiteral("entries"), newestFirst}}};
}

QJsonObject ScheduleService::running() const
{
    return m_setup.running ? m_setup.running() : QJsonObject {};
}

} // namespace webd
