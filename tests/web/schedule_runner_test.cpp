// The service's runner putting a weekday and a weekend plan in force on the virtual board, on a
// clock of the test's own: what goes on the line at a boundary, after a restart, after a clock
// step, under a change made by hand, and when the board cannot be reached.
#include "support/content_file_bytes.h"
#include "support/device_servers.h"
#include "support/files.h"
#include "support/hex.h"
#include "web_clients.h"

#include "schedule/schedule_file.h"
#include "webd/engine_service.h"
#include "webd/schedule_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using testsupport::hex;

// Room rows 1 and 2 on a board whose room area has 8 cells at address 0, device 1. Cell codes:
// 0 C0, 1 F9, 8 80, 9 90, dark FF; the check byte is the XOR from the length to the last cell.
constexpr const char* kWeekdayRooms = "02 00 14 01 EE 25 00 00 00 08 FF 90 80 80 FF 80 80 80 C6 03"; //  988  888
constexpr const char* kWeekendRooms = "02 00 14 01 EE 25 00 00 00 08 F9 C0 80 80 FF 90 80 80 80 03"; // 1088  988
// The connection test to board 5 that marks the end of what the runner sent.
constexpr const char* kMarker = "02 00 09 05 EE 21 05 C6 03";

constexpr const char* kHotel = R"({"revision": 0, "timezone": "Asia/Shanghai",
  "plans": {"weekday": {"rooms": ["988", "888"]}, "weekend": {"rooms": ["1088", "988"]}},
  "rules": [
    {"id": "week", "plan": "weekday", "weekly": [{"from": "mon 06:00", "to": "fri 18:00"}]},
    {"id": "wkend", "plan": "weekend", "weekly": [{"from": "fri 18:00", "to": "mon 06:00"}]}]})";

QDateTime shanghai(int day, int hour, int minute, int second = 0)
{
    // December 2026: the 11th is a Friday.
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute, second), QTimeZone("Asia/Shanghai"));
}

class RunnerOnABoard : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        contentPath = m_dir.filePath(QStringLiteral("VorFjp.ini"));
        apptest::RecordPieces pieces;
        pieces.areas = "0   8   256 12  0   4   ";
        testsupport::writeFile(contentPath, pieces.fileBytes());
        ASSERT_TRUE(m_board.start({QStringLiteral("--pty"), QStringLiteral("--id"), QStringLiteral("5")}))
            << m_board.errorString().toStdString();
        linePath = m_board.firstLine().value(QStringLiteral("pty")).toString();
        port = linePath;
        webd::EngineServiceSetup setup;
        setup.contentPath = contentPath;
        setup.portChoice = [this] { return port; };
        setup.socketPath = m_dir.filePath(QStringLiteral("no-window"));
        setup.deviceId = 1;
        setup.draw = [](const QString&) { return board::Drawn {std::nullopt, QStringLiteral("no font here")}; };
        setup.clock = [this] { return now; };
        engine = std::make_unique<webd::EngineService>(std::move(setup));
        const schedule::StoreResult stored =
            schedule::storeSchedule(contentPath, QJsonDocument::fromJson(kHotel).object());
        ASSERT_EQ(stored.outcome, schedule::StoreOutcome::Stored) << stored.error.toStdString();
    }

    // A runner as the service makes it at start-up, started at the given moment.
    void startRunner(const QDateTime& at)
    {
        now = at;
        runner = std::make_unique<webd::ScheduleRunner>(*engine, webd::ScheduleRunnerSetup {contentPath, [this] { return now; }});
        runner->start();
        waitUntilSent();
    }

    // What the runner's timers do at that moment.
    void runAt(const QDateTime& at)
    {
        now = at;
        runner->runNow();
        waitUntilSent();
    }

    void waitUntilSent()
    {
        const auto sending = [this] {
            const QJsonObject areas = runner->status().value(QStringLiteral("areas")).toObject();
            return std::any_of(areas.begin(), areas.end(),
                               [](const QJsonValue& area) { return area[QStringLiteral("sending")].toBool(); });
        };
        ASSERT_TRUE(QTest::qWaitFor([&] { return !sending(); }, webtest::kWaitMs));
    }

    // The frames the board got since the last look, up to a connection test sent now behind
    // them: the queue sends one at a time, so nothing the runner sent can come after it.
    std::vector<QByteArray> framesSinceLastLook()
    {
        int answered = 0;
        engine->send(QStringLiteral("test"), 5, [&answered](const webd::ServiceAnswer& answer) { answered = answer.httpStatus; });
        std::vector<QByteArray> frames;
        for (;;) {
            const QJsonObject seen = m_board.nextObject(webtest::kWaitMs);
            if (seen.isEmpty()) {
                ADD_FAILURE() << "the marker never reached the board";
                return frames;
            }
            const QByteArray bytes = QByteArray::fromHex(seen.value(QStringLiteral("bytes")).toString().toLatin1());
            if (bytes.isEmpty())
                continue;
            if (bytes == hex(kMarker))
                break;
            frames.push_back(bytes.toHex(' '));
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return answered != 0; }, webtest::kWaitMs));
        return frames;
    }

    static std::vector<QByteArray> frames(std::initializer_list<const char*> list)
    {
        std::vector<QByteArray> result;
        for (const char* frame : list)
            result.push_back(hex(frame).toHex(' '));
        return result;
    }

    QJsonObject rooms()
    {
        return runner->status().value(QStringLiteral("areas")).toObject().value(QStringLiteral("rooms")).toObject();
    }

    QString firstRoom() { return engine->content().body.value(QStringLiteral("rooms")).toArray().at(0).toString(); }
    QString secondRoom() { return engine->content().body.value(QStringLiteral("rooms")).toArray().at(1).toString(); }

    QJsonArray history() { return schedule::loadHistory(contentPath); }

    QTemporaryDir m_dir;
    testsupport::HeadlessBoard m_board;
    QString contentPath;
    QString linePath;
    QString port;
    QDateTime now;
    std::unique_ptr<webd::EngineService> engine;
    std::unique_ptr<webd::ScheduleRunner> runner;
};

TEST_F(RunnerOnABoard, CrossingFridayEveningSendsTheWeekendRoomsOnceAndRecordsIt)
{
    startRunner(shanghai(11, 17, 59, 30));
    EXPECT_EQ(framesSinceLastLook(), frames({kWeekdayRooms})) << "nothing applied yet: the weekday plan is caught up";
    ASSERT_EQ(runner->nextWake(), shanghai(11, 18, 0));

    runAt(*runner->nextWake());
    runAt(shanghai(11, 18, 1)); // the minute's check after it
    EXPECT_EQ(framesSinceLastLook(), frames({kWeekendRooms}));

    const QJsonObject last = history().last().toObject();
    EXPECT_EQ(last[QStringLiteral("rule")].toString(), QStringLiteral("wkend"));
    EXPECT_EQ(last[QStringLiteral("outcome")].toString(), QStringLiteral("sent"));
    EXPECT_EQ(last[QStringLiteral("time")].toString(), QStringLiteral("2026-12-11T18:00:00+08:00"));
    EXPECT_EQ(last[QStringLiteral("changed")].toObject(),
              (QJsonObject {{"rooms.1", QJsonObject {{"from", "988"}, {"to", "1088"}}},
                            {"rooms.2", QJsonObject {{"from", "888"}, {"to", "988"}}}}));
    EXPECT_EQ(rooms().value(QStringLiteral("plan")).toString(), QStringLiteral("weekend"));
    EXPECT_EQ(rooms().value(QStringLiteral("next")).toString(), QStringLiteral("2026-12-14T06:00:00+08:00"));
}

TEST_F(RunnerOnABoard, ARestartSendsOnlyWhatWasNotAppliedAndAClockStepAppliesOnce)
{
    // Off at Friday 17:00 with the weekday plan on the board, on again Saturday evening.
    startRunner(shanghai(11, 17, 0));
    runner.reset();
    startRunner(shanghai(12, 20, 0));
    EXPECT_EQ(framesSinceLastLook(), frames({kWeekdayRooms, kWeekendRooms}));

    // Off and on again inside the same weekend: all of it is on the board already.
    runner.reset();
    startRunner(shanghai(12, 21, 0));
    EXPECT_EQ(framesSinceLastLook(), frames({}));

    // Early on Monday the clock is put two hours on, past the end of the weekend: the weekday
    // plan goes out once.
    runAt(shanghai(14, 5, 0));
    runAt(shanghai(14, 7, 0));
    runAt(shanghai(14, 7, 1));
    EXPECT_EQ(framesSinceLastLook(), frames({kWeekdayRooms}));
    EXPECT_EQ(history().size(), 3);
}

TEST_F(RunnerOnABoard, AChangeByHandHoldsUntilTheAreasNextBoundaryAndAnEditedPlanGoesOut)
{
    startRunner(shanghai(12, 20, 0));
    ASSERT_EQ(framesSinceLastLook(), frames({kWeekendRooms}));

    ASSERT_EQ(engine->patchContent(QJsonObject {{"rooms", QJsonArray {"777"}}}).httpStatus, 200);
    runAt(shanghai(12, 20, 1));
    runAt(shanghai(13, 9, 0));
    EXPECT_EQ(framesSinceLastLook(), frames({}));
    EXPECT_EQ(rooms().value(QStringLiteral("hold")).toObject(),
              (QJsonObject {{"until", "2026-12-14T06:00:00+08:00"}}));
    EXPECT_EQ(firstRoom(), QStringLiteral("777"));

    runAt(shanghai(14, 6, 0));
    EXPECT_EQ(framesSinceLastLook(), frames({kWeekdayRooms}));
    EXPECT_EQ(rooms().value(QStringLiteral("hold")), QJsonValue(false));

    // The weekday plan edited and saved: its new values go out under the same rule.
    QByteArray edited = kHotel;
    edited.replace(R"("revision": 0)", R"("revision": 1)").replace(R"(["988", "888"])", R"(["988", "788"])");
    ASSERT_EQ(schedule::storeSchedule(contentPath, QJsonDocument::fromJson(edited).object()).outcome,
              schedule::StoreOutcome::Stored);
    runner->runSoon();
    ASSERT_TRUE(QTest::qWaitFor([&] { return firstRoom() == QStringLiteral("988") && secondRoom() == QStringLiteral("788"); },
                                webtest::kWaitMs));
    waitUntilSent();
    EXPECT_EQ(framesSinceLastLook(), frames({"02 00 14 01 EE 25 00 00 00 08 FF 90 80 80 FF F8 80 80 BE 03"}));
}

TEST_F(RunnerOnABoard, AFailedSendIsShownAndRetriedUntilItGoes)
{
    port = m_dir.filePath(QStringLiteral("unplugged"));
    startRunner(shanghai(12, 20, 0));
    QJsonObject retry = rooms().value(QStringLiteral("retry")).toObject();
    EXPECT_EQ(retry[QStringLiteral("attempts")].toInt(), 1);
    EXPECT_EQ(retry[QStringLiteral("at")].toString(), QStringLiteral("2026-12-12T20:00:10+08:00"));
    EXPECT_FALSE(retry[QStringLiteral("message")].toString().isEmpty());
    EXPECT_EQ(history().last()[QStringLiteral("outcome")].toString(), QStringLiteral("failed"));
    // The values are in the file already; the send is what is owed.
    EXPECT_EQ(firstRoom(), QStringLiteral("1088"));

    // Before it is due nothing is tried; the second failure waits twice as long.
    runAt(shanghai(12, 20, 0, 5));
    EXPECT_EQ(rooms().value(QStringLiteral("retry")).toObject().value(QStringLiteral("attempts")).toInt(), 1);
    runAt(*runner->nextWake());
    retry = rooms().value(QStringLiteral("retry")).toObject();
    EXPECT_EQ(retry[QStringLiteral("attempts")].toInt(), 2);
    EXPECT_EQ(retry[QStringLiteral("at")].toString(), QStringLiteral("2026-12-12T20:00:30+08:00"));

    port = linePath;
    now = *runner->nextWake();
    runner->runNow();
    // While the retry is on its way the runner waits for its answer, not for its time again.
    EXPECT_EQ(runner->nextWake(), shanghai(14, 6, 0));
    waitUntilSent();
    EXPECT_EQ(framesSinceLastLook(), frames({kWeekendRooms}));
    EXPECT_FALSE(rooms().contains(QStringLiteral("retry")));
    const QJsonObject last = history().last().toObject();
    EXPECT_EQ(last[QStringLiteral("outcome")].toString(), QStringLiteral("sent"));
    EXPECT_EQ(last[QStringLiteral("attempts")].toInt(), 3);
    EXPECT_EQ(history().size(), 2) << "the first failure and the send, not every retry";
}

} // namespace
