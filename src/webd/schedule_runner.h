#pragma once
// Puts the content file's schedule in force on the board, for vorfjp-web. It does not fire events
// at boundaries: each time it runs it works out which plan should be in force for each area
// (rooms, rates, weather) and compares that with what it last applied (schedule-applied.json).
// An area whose winning rule differs, or whose plan was edited since, has the plan's values
// written through the board side (the same checks and writers' lock as PATCH /api/content) and is
// sent through the board side's queue. So a restart or a power-off catches up by itself, and what
// was applied and sent is never sent again.
//
// It runs at start(), at each boundary (one timer to the next change), once every kClockCheck (a
// stepped clock moves no timer), when the schedule is stored, and when a retry is due.
//
// A change made by hand between boundaries (the window, vorfjp-send set, PATCH) is the area's
// content differing from what was applied under the same rule: it holds until that area's winner
// next changes (or its plan is edited), and the status says so. A send that fails is kept owed (on disk too) and retried
// after kFirstRetry, doubling up to kLongestRetry; the status shows it, and the history records
// the first failure and the send that finally went.
//
// Example, the hotel's weekday plan in force, Friday 18:00 comes (rule "wkend", plan "weekend"
// with "rooms": ["1088"]): rooms.1 is written as 1088, the rooms are sent, schedule-applied.json
// has {"rooms": {"plan": "weekend", "rule": "wkend", "sent": true, …}} and the history
// {"kind": "apply", "area": "rooms", "rule": "wkend", "changed": {"rooms.1": {"from": "988",
// "to": "1088"}}, "outcome": "sent", …}.
#include "schedule/resolver.h"
#include "schedule/schedule.h"
#include "webd/board_service.h"

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QTimer>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace webd {

struct ScheduleRunnerSetup {
    QString contentPath;
    // Tests give a clock of their own and call runNow() where a timer would fire.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
};

class ScheduleRunner : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::minutes kClockCheck {1};
    static constexpr std::chrono::seconds kFirstRetry {10};
    static constexpr std::chrono::minutes kLongestRetry {10};

    // board must outlive the runner.
    ScheduleRunner(BoardService& board, ScheduleRunnerSetup setup, QObject* parent = nullptr);

    // Puts in force what should be now and starts the timers.
    void start();
    // Works out what should be in force now and applies what differs: what every timer does.
    void runNow();
    // runNow() from the event loop, for a caller in the middle of its own work (a stored schedule).
    void runSoon();
    // When the runner next has something to do: the next boundary or a due retry; nothing when
    // neither is ahead.
    std::optional<QDateTime> nextWake() const;

    // For /api/status:
    //   {"revision": 3, "next": "2026-12-21T06:00:00+08:00" or null, "problem": text (only when the
    //    schedule or the content cannot be used),
    //    "areas": {"rooms": {"plan": "weekend", "rule": "wkend", "level": "weekly" (all null where
    //                        no rule holds), "next": the area's next change or null,
    //                        "applied": {"plan", "rule", "at", "sent"} or null,
    //                        "hold": false, or {"until": the area's next change or null} while a
    //                                change by hand holds,
    //                        "sending": bool,
    //                        "retry": {"attempts", "at", "problem", "message"} only while one is owed},
    //              "rates": …, "weather": …}}
    QJsonObject status();

private:
    struct Loaded {
        QByteArray key; // what the file was when it was read
        std::unique_ptr<schedule::Schedule> schedule;
        std::unique_ptr<schedule::Resolver> resolver;
        QString problem;
    };
    struct Retry {
        int attempts = 0;
        qint64 atMs = 0;
        QString problem;
        QString message;
        QJsonObject changed; // of the apply that is owed
    };

    // The schedule as stored, read again only when the file changed.
    const Loaded& loaded();
    qint64 nowMs() const;
    QString isoOf(qint64 ms);
    void apply(schedule::Area area, const schedule::Winner& winner, const QJsonValue& planPart,
               const QJsonValue& current, qint64 now);
    void sendArea(schedule::Area area, const schedule::Winner& winner, const QJsonObject& changed);
    void sent(schedule::Area area, const schedule::Winner& winner, const QJsonObject& changed,
              const ServiceAnswer& answer);
    void failed(schedule::Area area, const schedule::Winner& winner, const QJsonObject& changed,
                const QString& problem, const QString& message);
    // The history entry of one apply, without the outcome's own fields.
    QJsonObject applyEntry(schedule::Area area, const schedule::Winner& winner, const QJsonObject& changed,
                           const QString& outcome);
    void arm();

    BoardService& m_board;
    ScheduleRunnerSetup m_setup;
    Loaded m_loaded;
    std::array<bool, schedule::kAreaCount> m_sending {};
    std::array<std::optional<Retry>, schedule::kAreaCount> m_retry;
    std::optional<qint64> m_nextChange;
    QTimer m_boundary;
    QTimer m_clockCheck;
};

} // namespace webd
