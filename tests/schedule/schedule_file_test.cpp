#include "schedule/schedule_file.h"

#include "schedule_support.h"
#include "storage/writer_lock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

using schedule::StoreOutcome;
using schedule_test::jsonOf;

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr const char* kWeekend = R"({"revision": %1, "timezone": "Asia/Shanghai", "plans": {"weekend": {"rooms": ["1088"]}},
    "rules": [{"id": "wkend", "plan": "weekend", "weekly": [{"from": "fri 18:00", "to": "mon 06:00"}]}]})";

QJsonObject weekendBasedOn(int revision)
{
    return jsonOf(QString::fromLatin1(kWeekend).arg(revision).toUtf8().constData());
}

TEST(ScheduleFile, EachStoreIsBasedOnTheRevisionItReplacesAndNothingElseIsStored)
{
    const QTemporaryDir dir;
    const QString content = dir.filePath(QStringLiteral("VorFjp.ini"));
    const QString path = schedule::schedulePath(content);
    EXPECT_EQ(path, dir.filePath(QStringLiteral("schedule.json")));

    const schedule::LoadedSchedule none = schedule::loadSchedule(content);
    ASSERT_TRUE(none.schedule.has_value());
    EXPECT_EQ(none.schedule->revision, 0);
    EXPECT_TRUE(none.schedule->rules.empty());

    const schedule::StoreResult first = schedule::storeSchedule(content, weekendBasedOn(0));
    ASSERT_EQ(first.outcome, StoreOutcome::Stored) << first.error.toStdString();
    EXPECT_EQ(first.currentRevision, 1);
    const schedule::LoadedSchedule loaded = schedule::loadSchedule(content);
    ASSERT_TRUE(loaded.schedule.has_value());
    EXPECT_EQ(schedule::scheduleJson(*loaded.schedule), weekendBasedOn(1));

    const QByteArray stored = bytesOf(path);
    struct Refused {
        const char* name;
        QJsonObject json;
        StoreOutcome outcome;
    };
    QJsonObject clashing = weekendBasedOn(1);
    clashing[QStringLiteral("rules")] = jsonOf(R"({"r": [
        {"id": "a", "plan": "weekend", "weekly": [{"from": "fri 18:00", "to": "mon 06:00"}]},
        {"id": "b", "plan": "weekend", "weekly": [{"from": "sun 00:00", "to": "sun 01:00"}]}]})")[QStringLiteral("r")];
    const Refused refusals[] = {
        {"based on the revision before", weekendBasedOn(0), StoreOutcome::Stale},
        {"based on one that never was", weekendBasedOn(5), StoreOutcome::Stale},
        {"a bad field", jsonOf(R"({"revision": 1, "timezone": "Nowhere/City"})"), StoreOutcome::Invalid},
        {"a clash", clashing, StoreOutcome::Invalid},
    };
    for (const Refused& row : refusals) {
        const schedule::StoreResult result = schedule::storeSchedule(content, row.json);
        EXPECT_EQ(result.outcome, row.outcome) << row.name;
        EXPECT_EQ(result.currentRevision, 1) << row.name;
        EXPECT_EQ(row.outcome == StoreOutcome::Invalid, !result.errors.empty()) << row.name;
        EXPECT_EQ(bytesOf(path), stored) << row.name;
    }

    const schedule::StoreResult second = schedule::storeSchedule(content, weekendBasedOn(1));
    EXPECT_EQ(second.outcome, StoreOutcome::Stored);
    EXPECT_EQ(schedule::loadSchedule(content).schedule->revision, 2);
}

TEST(ScheduleFile, AStoreThatCannotTakeTheWritersLockLeavesTheScheduleAlone)
{
    const QTemporaryDir dir;
    const QString content = dir.filePath(QStringLiteral("VorFjp.ini"));
    ASSERT_EQ(schedule::storeSchedule(content, weekendBasedOn(0)).outcome, StoreOutcome::Stored);
    const QByteArray stored = bytesOf(schedule::schedulePath(content));

    // A folder where the lock file belongs: the lock cannot be had.
    ASSERT_TRUE(QFile::remove(storage::contentLockPath(content)));
    ASSERT_TRUE(QDir().mkdir(storage::contentLockPath(content)));
    const schedule::StoreResult result = schedule::storeSchedule(content, weekendBasedOn(1));
    EXPECT_EQ(result.outcome, StoreOutcome::Failed);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_FALSE(schedule::storeApplied(content, {}).isEmpty());
    EXPECT_FALSE(schedule::appendHistory(content, {}).isEmpty());
    EXPECT_EQ(bytesOf(schedule::schedulePath(content)), stored);
}

TEST(ScheduleFile, AFileThatIsNoScheduleIsReportedAndReplacedOnlyFromRevisionZero)
{
    const QTemporaryDir dir;
    const QString content = dir.filePath(QStringLiteral("VorFjp.ini"));
    QFile broken(schedule::schedulePath(content));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("{\"revision\": 4, \"rules\": [");
    broken.close();

    const schedule::LoadedSchedule loaded = schedule::loadSchedule(content);
    EXPECT_FALSE(loaded.schedule.has_value());
    EXPECT_FALSE(loaded.error.isEmpty());
    EXPECT_EQ(schedule::storeSchedule(content, weekendBasedOn(4)).outcome, StoreOutcome::Stale);
    EXPECT_EQ(schedule::storeSchedule(content, weekendBasedOn(0)).outcome, StoreOutcome::Stored);
    EXPECT_EQ(schedule::loadSchedule(content).schedule->revision, 1);
}

TEST(ScheduleFile, TheAppliedStateAndTheHistoryComeBackAsWritten)
{
    const QTemporaryDir dir;
    const QString content = dir.filePath(QStringLiteral("VorFjp.ini"));
    EXPECT_EQ(schedule::loadApplied(content), schedule::AppliedState {});

    schedule::AppliedState state;
    state[std::size_t(schedule::Area::Rooms)] = schedule::Applied {{"weekend", "wkend", schedule::Level::Weekly}, 3, 1797242400000,
                                                                   QJsonArray {"1088", QJsonValue::Null},
                                                                   QJsonArray {"1088", "988"}, true};
    state[std::size_t(schedule::Area::Weather)] = schedule::Applied {{"holiday", "newyear", schedule::Level::Dates}, 3, 1798732800000,
                                                                     QJsonObject {{"text", "新年快乐"}},
                                                                     QJsonObject {{"text", "新年快乐"}, {"low", "2"}, {"high", "9"}},
                                                                     false};
    EXPECT_EQ(schedule::storeApplied(content, state), QString());
    EXPECT_EQ(schedule::loadApplied(content), state);

    // A full history drops its oldest entries.
    QByteArray full;
    for (int i = 0; i < schedule::kHistoryEntries; ++i)
        full += QStringLiteral("{\"n\":%1}\n").arg(i).toUtf8();
    QFile history(schedule::historyPath(content));
    ASSERT_TRUE(history.open(QIODevice::WriteOnly));
    history.write(full + "not json\n");
    history.close();
    EXPECT_EQ(schedule::appendHistory(content, QJsonObject {{"n", 1000}}), QString());
    EXPECT_EQ(schedule::appendHistory(content, QJsonObject {{"n", 1001}}), QString());
    const QJsonArray all = schedule::loadHistory(content);
    ASSERT_EQ(all.size(), schedule::kHistoryEntries);
    EXPECT_EQ(all.first().toObject().value("n").toInt(), 2); // 0, 1 and the broken line went
    EXPECT_EQ(all.last().toObject().value("n").toInt(), 1001);
    const QJsonArray newest = schedule::loadHistory(content, 2);
    ASSERT_EQ(newest.size(), 2);
    EXPECT_EQ(newest.at(0).toObject().value("n").toInt(), 1000);
}

} // namespace
