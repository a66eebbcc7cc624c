#pragma once
// The files of a content file's schedule, beside it in its folder:
//   schedule.json          the schedule (schedule.h), with its revision;
//   schedule-applied.json  which plan was last put in force for each area, and when;
//   schedule-history.jsonl what was applied and edited, one JSON object a line, newest last.
// Each is replaced whole (written beside and moved into place) under the content file's writers'
// lock (storage/writer_lock.h), so a reader sees the old file or the new one, never part of one.
//
// A stored schedule carries the revision it was based on; the file's revision only grows:
//   storeSchedule(content, {"revision": 0, ...})  -> Stored, revision 1 (no schedule before)
//   storeSchedule(content, {"revision": 1, ...})  -> Stored, revision 2
//   storeSchedule(content, {"revision": 1, ...})  -> Stale: someone stored revision 2 meanwhile
#include "schedule/resolver.h"
#include "schedule/schedule.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <optional>
#include <vector>

namespace schedule {

QString schedulePath(const QString& contentPath);
QString appliedPath(const QString& contentPath);
QString historyPath(const QString& contentPath);

struct LoadedSchedule {
    std::optional<Schedule> schedule; // revision 0 without plans or rules when there is no file
    std::vector<FieldError> errors;   // the file does not hold a valid schedule (edited by hand)
    QString error;                    // Chinese: the file could not be read at all
};
LoadedSchedule loadSchedule(const QString& contentPath, const ValueCheck& check = {});

enum class StoreOutcome {
    Stored,
    Stale,   // based on another revision than the file's: nothing stored
    Invalid, // errors or clashes: nothing stored
    Failed,  // the file could not be written: the old one stands
};

struct StoreResult {
    StoreOutcome outcome = StoreOutcome::Failed;
    std::optional<Schedule> schedule; // Stored: as stored, with its new revision
    int currentRevision = 0;          // the file's revision after the call
    std::vector<FieldError> errors;
    std::vector<Clash> clashes;
    QString error; // Failed: Chinese, why and what to do
};

// Checks the schedule, then under the lock stores it as revision current + 1 when its "revision"
// is the file's current one (0 when there is no file, or when the file is not a schedule at all).
StoreResult storeSchedule(const QString& contentPath, const QJsonObject& json, const ValueCheck& check = {});

// What the service last put in force for each area.
struct Applied {
    Winner winner;
    int revision = 0; // of the schedule it came from
    qint64 atMs = 0;
    QJsonValue values; // the plan's part for the area as it was applied: ["1088", null]
    QJsonValue shown;  // the area in the content's JSON shape as written: ["1088", "988", …]
    bool sent = false; // the board took it; false while a send is owed
    friend bool operator==(const Applied&, const Applied&) = default;
};
using AppliedState = std::array<std::optional<Applied>, kAreaCount>;

// A missing or unreadable file is an empty state: nothing applied yet.
AppliedState loadApplied(const QString& contentPath);
// Empty on success, else Chinese: why the state could not be written.
QString storeApplied(const QString& contentPath, const AppliedState& state);

// The history keeps its newest kHistoryEntries entries.
inline constexpr int kHistoryEntries = 1000;
QString appendHistory(const QString& contentPath, const QJsonObject& entry);
// The newest `count` entries, oldest first; lines that are not JSON objects are passed over.
QJsonArray loadHistory(const QString& contentPath, int count = kHistoryEntries);

} // namespace schedule
