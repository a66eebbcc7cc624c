#include "webd/schedule_runner.h"

#include "schedule/schedule_file.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QPointer>

#include <algorithm>

namespace webd {

namespace {

using schedule::Area;

QJsonValue winnerField(const std::optional<schedule::Winner>& winner, const char* which)
{
    if (!winner)
        return QJsonValue::Null;
    const QByteArrayView key(which);
    if (key == "plan")
        return winner->plan;
    if (key == "rule")
        return winner->rule;
    return schedule::levelName(winner->level);
}

// The texts of an area by their keys ("rooms.1", "rates.2.a", "weather.text").
void flatten(const QJsonValue& value, const QString& key, QJsonObject& into)
{
    if (value.isArray()) {
        const QJsonArray rows = value.toArray();
        for (qsizetype i = 0; i < rows.size(); ++i)
            flatten(rows.at(i), key + u'.' + QString::number(i + 1), into);
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            flatten(it.value(), key + u'.' + it.key(), into);
    } else {
        into.insert(key, value);
    }
}

// What went from before to after, by key: {"rooms.1": {"from": "988", "to": "1088"}}.
QJsonObject changesOf(const QString& area, const QJsonValue& before, const QJsonValue& after)
{
    QJsonObject old;
    QJsonObject now;
    flatten(before, area, old);
    flatten(after, area, now);
    QJsonObject changed;
    for (auto it = now.begin(); it != now.end(); ++it) {
        if (old.value(it.key()) != it.value())
            changed.insert(it.key(), QJsonObject {{QStringLiteral("from"), old.value(it.key())},
                                                  {QStringLiteral("to"), it.value()}});
    }
    return changed;
}

std::chrono::milliseconds retryDelay(int attempts)
{
    std::chrono::milliseconds delay = ScheduleRunner::kFirstRetry;
    for (int i = 1; i < attempts && delay < ScheduleRunner::kLongestRetry; ++i)
        delay *= 2;
    return std::min<std::chrono::milliseconds>(delay, ScheduleRunner::kLongestRetry);
}

} // namespace

ScheduleRunner::ScheduleRunner(BoardService& board, ScheduleRunnerSetup setup, QObject* parent)
    : QObject(parent)
    , m_board(board)
    , m_setup(std::move(setup))
{
    m_boundary.setSingleShot(true);
    // A coarse timer may fire a little early, and a boundary is meant to the second.
    m_boundary.setTimerType(Qt::PreciseTimer);
    connect(&m_boundary, &QTimer::timeout, this, &ScheduleRunner::runNow);
    m_clockCheck.setInterval(kClockCheck);
    connect(&m_clockCheck, &QTimer::timeout, this, &ScheduleRunner::runNow);
}

void ScheduleRunner::start()
{
    m_clockCheck.start();
    runNow();
}

void ScheduleRunner::runSoon()
{
    m_loaded.key.clear();
    QMetaObject::invokeMethod(this, &ScheduleRunner::runNow, Qt::QueuedConnection);
}

qint64 ScheduleRunner::nowMs() const
{
    return m_setup.clock().toMSecsSinceEpoch();
}

QString ScheduleRunner::isoOf(qint64 ms)
{
    const Loaded& schedule = loaded();
    if (schedule.resolver)
        return schedule.resolver->clock().dateTimeOf(ms).toString(Qt::ISODate);
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

const ScheduleRunner::Loaded& ScheduleRunner::loaded()
{
    const QFileInfo file(schedule::schedulePath(m_setup.contentPath));
    const QByteArray key = file.exists()
        ? QByteArray::number(file.size()) + ' ' + QByteArray::number(file.lastModified().toMSecsSinceEpoch())
        : QByteArrayLiteral("none");
    if (key == m_loaded.key)
        return m_loaded;
    m_loaded = Loaded {key, nullptr, nullptr, {}};
    schedule::LoadedSchedule read = schedule::loadSchedule(m_setup.contentPath);
    if (!read.schedule) {
        m_loaded.problem = read.error.isEmpty()
            ? QStringLiteral("日程文件“%1”有错，日程暂停执行；请在页面上修改后重新保存。").arg(file.filePath())
            : read.error;
        return m_loaded;
    }
    m_loaded.schedule = std::make_unique<schedule::Schedule>(std::move(*read.schedule));
    m_loaded.resolver = std::make_unique<schedule::Resolver>(*m_loaded.schedule);
    return m_loaded;
}

void ScheduleRunner::runNow()
{
    const qint64 now = nowMs();
    const Loaded& plans = loaded();
    m_nextChange.reset();
    if (!plans.resolver || plans.schedule->rules.empty()) {
        arm();
        return;
    }
    const ServiceAnswer content = m_board.content();
    if (content.httpStatus != 200) {
        arm();
        return;
    }
    const schedule::Winners winners = plans.resolver->winnersAt(now);
    m_nextChange = plans.resolver->nextChange(now);
    schedule::AppliedState applied = schedule::loadApplied(m_setup.contentPath);
    bool forgotten = false;
    for (const Area area : schedule::kAreas) {
        const auto index = std::size_t(area);
        if (m_sending[index])
            continue;
        const std::optional<schedule::Winner>& winner = winners[index];
        std::optional<schedule::Applied>& last = applied[index];
        const std::optional<Retry>& retry = m_retry[index];
        const bool retryDue = !retry || now >= retry->atMs;
        if (!winner) {
            // The content stays as it is; a send still owed for what was written goes out.
            if (last && !last->sent && retryDue) {
                sendArea(area, last->winner, retry ? retry->changed : QJsonObject {});
            } else if (last && last->sent) {
                last.reset();
                forgotten = true;
            }
            continue;
        }
        const schedule::Plan* plan = plans.schedule->plan(winner->plan);
        const QJsonValue planPart = plan ? plan->json.value(schedule::areaName(area)) : QJsonValue();
        const QJsonValue current = content.body.value(schedule::areaName(area));
        const bool boundary = !last || last->winner != *winner;
        // The plan as applied against the plan now, not against the file: the file may write a
        // value otherwise than it was given (a rate's padding), and that must not look like an edit.
        const bool edited = last && last->values != planPart;
        if (boundary || edited) {
            if (!retry || retryDue)
                apply(area, *winner, planPart, current, now);
        } else if (!last->sent && retryDue) {
            sendArea(area, *winner, retry ? retry->changed : QJsonObject {});
        }
    }
    if (forgotten) {
        // Re-read: the sends started above have written their own state.
        schedule::AppliedState onDisk = schedule::loadApplied(m_setup.contentPath);
        for (const Area area : schedule::kAreas) {
            const auto index = std::size_t(area);
            if (!winners[index] && onDisk[index] && onDisk[index]->sent)
                onDisk[index].reset();
        }
        schedule::storeApplied(m_setup.contentPath, onDisk);
    }
    arm();
}

void ScheduleRunner::apply(Area area, const schedule::Winner& winner, const QJsonValue& planPart,
                           const QJsonValue& current, qint64 now)
{
    const QString name = schedule::areaName(area);
    const ServiceAnswer written = m_board.patchContent(QJsonObject {{name, planPart}});
    if (written.httpStatus != 200) {
        const QJsonObject errors = written.body.value(QStringLiteral("errors")).toObject();
        QString message = written.body.value(QStringLiteral("message")).toString();
        for (auto it = errors.begin(); it != errors.end(); ++it)
            message += (message.isEmpty() ? QString() : QStringLiteral("；")) + it.key() + QStringLiteral("：") + it.value().toString();
        failed(area, winner, {}, QStringLiteral("write-failed"),
               QStringLiteral("计划“%1”的值没能写入内容文件：%2").arg(winner.plan, message));
        return;
    }
    const QJsonValue shown = written.body.value(name);
    schedule::AppliedState applied = schedule::loadApplied(m_setup.contentPath);
    applied[std::size_t(area)] = schedule::Applied {winner, m_loaded.schedule ? m_loaded.schedule->revision : 0, now, planPart, shown, false};
    if (const QString error = schedule::storeApplied(m_setup.contentPath, applied); !error.isEmpty()) {
        // Sending now would leave no trace of it: the next run would send it again.
        failed(area, winner, {}, QStringLiteral("write-failed"), error);
        return;
    }
    m_retry[std::size_t(area)].reset();
    sendArea(area, winner, changesOf(name, current, shown));
}

void ScheduleRunner::sendArea(Area area, const schedule::Winner& winner, const QJsonObject& changed)
{
    m_sending[std::size_t(area)] = true;
    m_board.send(schedule::areaName(area), std::nullopt,
                 [self = QPointer<ScheduleRunner>(this), area, winner, changed](const ServiceAnswer& answer) {
                     if (self)
                         self->sent(area, winner, changed, answer);
                 });
}

void ScheduleRunner::sent(Area area, const schedule::Winner& winner, const QJsonObject& changed, const ServiceAnswer& answer)
{
    const auto index = std::size_t(area);
    m_sending[index] = false;
    if (answer.httpStatus != 200) {
        failed(area, winner, changed, answer.body.value(QStringLiteral("problem")).toString(),
               answer.body.value(QStringLiteral("message")).toString());
        arm();
        return;
    }
    schedule::AppliedState applied = schedule::loadApplied(m_setup.contentPath);
    std::optional<schedule::Applied>& last = applied[index];
    // A newer apply of the area may have been written meanwhile; it owes its own send.
    if (last && last->winner == winner && !last->sent) {
        last->sent = true;
        schedule::storeApplied(m_setup.contentPath, applied);
    }
    const int attempts = m_retry[index] ? m_retry[index]->attempts + 1 : 1;
    m_retry[index].reset();
    QJsonObject entry = applyEntry(area, winner, changed, QStringLiteral("sent"));
    entry.insert(QStringLiteral("attempts"), attempts);
    schedule::appendHistory(m_setup.contentPath, entry);
    arm();
}

void ScheduleRunner::failed(Area area, const schedule::Winner& winner, const QJsonObject& changed,
                            const QString& problem, const QString& message)
{
    std::optional<Retry>& retry = m_retry[std::size_t(area)];
    const bool first = !retry;
    if (!retry)
        retry = Retry {0, 0, {}, {}, changed};
    const bool news = first || retry->problem != problem;
    retry->attempts += 1;
    retry->atMs = nowMs() + retryDelay(retry->attempts).count();
    retry->problem = problem;
    retry->message = message;
    // The first failure and each new kind of failure; not every retry of a board left unplugged.
    if (!news)
        return;
    QJsonObject entry = applyEntry(area, winner, retry->changed, QStringLiteral("failed"));
    entry.insert(QStringLiteral("problem"), problem);
    entry.insert(QStringLiteral("message"), message);
    entry.insert(QStringLiteral("retry"), isoOf(retry->atMs));
    schedule::appendHistory(m_setup.contentPath, entry);
}

QJsonObject ScheduleRunner::applyEntry(Area area, const schedule::Winner& winner, const QJsonObject& changed,
                                       const QString& outcome)
{
    return {{QStringLiteral("time"), isoOf(nowMs())},
            {QStringLiteral("kind"), QStringLiteral("apply")},
            {QStringLiteral("who"), QStringLiteral("schedule")},
            {QStringLiteral("area"), schedule::areaName(area)},
            {QStringLiteral("plan"), winner.plan},
            {QStringLiteral("rule"), winner.rule},
            {QStringLiteral("level"), schedule::levelName(winner.level)},
            {QStringLiteral("changed"), changed},
            {QStringLiteral("outcome"), outcome}};
}

std::optional<QDateTime> ScheduleRunner::nextWake() const
{
    std::optional<qint64> wake = m_nextChange;
    for (const Area area : schedule::kAreas) {
        // A retry under way has its time in the past: waking for it would spin until it is answered.
        const std::optional<Retry>& retry = m_retry[std::size_t(area)];
        if (retry && !m_sending[std::size_t(area)] && (!wake || retry->atMs < *wake))
            wake = retry->atMs;
    }
    if (!wake)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(*wake);
}

void ScheduleRunner::arm()
{
    const std::optional<QDateTime> wake = nextWake();
    if (!wake) {
        m_boundary.stop();
        return;
    }
    constexpr qint64 kLongest = 24LL * 60 * 60 * 1000;
    m_boundary.start(int(std::clamp<qint64>(wake->toMSecsSinceEpoch() - nowMs(), 0, kLongest)));
}

QJsonObject ScheduleRunner::status()
{
    const qint64 now = nowMs();
    const Loaded& plans = loaded();
    QJsonObject answer;
    if (!plans.resolver) {
        answer.insert(QStringLiteral("problem"), plans.problem);
        return answer;
    }
    const ServiceAnswer content = m_board.content();
    if (content.httpStatus != 200)
        answer.insert(QStringLiteral("problem"), content.body.value(QStringLiteral("message")));
    const schedule::Winners winners = plans.resolver->winnersAt(now);
    const std::optional<qint64> next = plans.resolver->nextChange(now);
    const schedule::AppliedState applied = schedule::loadApplied(m_setup.contentPath);
    QJsonObject areas;
    for (const Area area : schedule::kAreas) {
        const auto index = std::size_t(area);
        const std::optional<schedule::Winner>& winner = winners[index];
        const std::optional<schedule::Applied>& last = applied[index];
        const std::optional<qint64> areaNext = plans.resolver->nextChange(now, area);
        const QJsonValue areaNextJson = areaNext ? QJsonValue(isoOf(*areaNext)) : QJsonValue::Null;
        QJsonObject entry {{QStringLiteral("plan"), winnerField(winner, "plan")},
                           {QStringLiteral("rule"), winnerField(winner, "rule")},
                           {QStringLiteral("level"), winnerField(winner, "level")},
                           {QStringLiteral("next"), areaNextJson},
                           {QStringLiteral("sending"), m_sending[index]}};
        entry.insert(QStringLiteral("applied"),
                     last ? QJsonValue(QJsonObject {{QStringLiteral("plan"), last->winner.plan},
                                                    {QStringLiteral("rule"), last->winner.rule},
                                                    {QStringLiteral("at"), isoOf(last->atMs)},
                                                    {QStringLiteral("sent"), last->sent}})
                          : QJsonValue(QJsonValue::Null));
        const bool held = winner && last && last->sent && last->winner == *winner && content.httpStatus == 200
                          && content.body.value(schedule::areaName(area)) != last->shown;
        entry.insert(QStringLiteral("hold"),
                     held ? QJsonValue(QJsonObject {{QStringLiteral("until"), areaNextJson}}) : QJsonValue(false));
        if (const std::optional<Retry>& retry = m_retry[index])
            entry.insert(QStringLiteral("retry"), QJsonObject {{QStringLiteral("attempts"), retry->attempts},
                                                               {QStringLiteral("at"), isoOf(retry->atMs)},
                                                               {QStringLiteral("problem"), retry->problem},
                                                               {QStringLiteral("message"), retry->message}});
        areas.insert(schedule::areaName(area), entry);
    }
    answer.insert(QStringLiteral("revision"), plans.schedule->revision);
    answer.insert(QStringLiteral("next"), next ? QJsonValue(isoOf(*next)) : QJsonValue::Null);
    answer.insert(QStringLiteral("areas"), areas);
    return answer;
}

} // namespace webd
