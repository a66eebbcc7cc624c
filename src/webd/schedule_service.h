#pragma once
// The schedule endpoints of vorfjp-web: the content file's schedule (schedule/schedule_file.h)
// read, checked and stored, and resolved at any moment or over a stretch of time. Nothing here
// writes the content file or sends: putting plans in force is the service's runner's business.
//
// Answers (every failure has {"ok": false, "problem", "message"}, as the other endpoints):
//   GET  /api/schedule            200 the schedule; no file yet: {"revision": 0, "plans": {}, "rules": []}
//   PUT  /api/schedule            the whole schedule, its "revision" the one it was based on:
//                                 200 the schedule as stored, with the next revision;
//                                 412 stale-revision {"revision": the current one};
//                                 422 bad-schedule {"errors": {field: text}, "clashes": [...]}; nothing stored
//   POST /api/schedule/check      200 {"ok", "errors", "clashes"}: the same checks, nothing stored
//   GET  /api/schedule/at?time=T  200 {"time", "areas": {"rooms": {"plan", "rule", "level"} or null, …},
//                                      "content": the content file with the plans put in, "next"}
//   GET  /api/schedule/timeline?from=T&to=T
//                                 200 {"from", "to", "areas": {"rooms": [{"from", "to", "plan", "rule",
//                                      "level"} (the last three null where no rule holds)], …}}
//   GET  /api/schedule/history    200 {"entries": [newest first]}
// A time T is a local date-time of the schedule's zone, "2026-12-19T20:00" (a time of a skipped or
// repeated hour as schedule/local_time.h reads it), or one with an offset, "2026-12-19T20:00+08:00"
// or "…Z"; "at" without a time is now. Times in answers carry the zone's offset at that moment.
// "clashes": [{"rules": ["week", "extra"], "level": "weekly", "areas": ["rooms"]}].
#include "web/http_message.h"
#include "webd/board_service.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace webd {

struct ScheduleServiceSetup {
    QString contentPath;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // Told after each schedule stored, so that it is put in force at once; may be empty.
    std::function<void()> stored;
    // What putting it in force is doing, for /api/status (web/schedule_runner.h); may be empty.
    std::function<QJsonObject()> running;
};

class ScheduleService {
public:
    // The longest timeline asked for at once.
    static constexpr int kMaxTimelineDays = 800;

    explicit ScheduleService(ScheduleServiceSetup setup);

    ServiceAnswer schedule();
    // who: the token's name or the page's session, for the history.
    ServiceAnswer store(const QJsonObject& body, const QString& who);
    ServiceAnswer check(const QJsonObject& body);
    ServiceAnswer at(const web::HttpFields& query);
    ServiceAnswer timeline(const web::HttpFields& query);
    ServiceAnswer history();
    // The runner's status; empty when the service runs none.
    QJsonObject running() const;

private:
    ScheduleServiceSetup m_setup;
};

} // namespace webd
