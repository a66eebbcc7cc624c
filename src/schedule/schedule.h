#pragma once
// A schedule of rate plans: named partial contents (plans) and the rules that say when each is in
// force. One schedule belongs to one content file and is kept beside it as schedule.json; the
// HTTP API speaks the same shape:
//
//   {"revision": 7, "timezone": "Asia/Shanghai",
//    "plans": {"weekday": {"rooms": ["988", "888"]}, "winter": {"rates": [{"a": "712.35", "b": null}]}},
//    "rules": [
//      {"id": "week", "plan": "weekday", "weekly": [{"from": "mon 06:00", "to": "fri 18:00"}]},
//      {"id": "winter", "plan": "winter", "season": {"from": "12-20", "to": "01-06"}},
//      {"id": "newyear", "plan": "weekday", "dates": ["01-01", "2027-02-06"], "enabled": false},
//      {"id": "fair", "plan": "weekday", "override": {"from": "2026-12-16T18:00", "to": "2026-12-17T12:00"}}]}
//
// A plan holds any part of the rooms, rates and weather of the content's JSON shape
// (board/content_edit.h); a shorter array or null leaves the rows it does not give alone.
// A rule holds when all its conditions hold:
//   weekly    spans of the week "ddd HH:MM" to "ddd HH:MM" (from inclusive, to exclusive), one of
//             which must hold; a span may wrap past Sunday ("sun 22:00" to "mon 06:00");
//   season    whole days from MM-DD to MM-DD, both inclusive, wrapping past New Year when from > to;
//   dates     whole days, MM-DD every year or YYYY-MM-DD once, one of which must hold;
//   override  local date-times "YYYY-MM-DDTHH:MM", from inclusive to exclusive, at most
//             kMaxOverrideDays long.
// Years lie between 1970 and 2199.
// Its level is its most specific condition (override > dates > season > weekly): a season
// narrowed by weekly spans is a season rule. All times are wall-clock times of the schedule's zone.
#include "schedule/local_time.h"
#include "storage/board_content.h"

#include <QJsonObject>
#include <QString>
#include <QTimeZone>

#include <array>
#include <bitset>
#include <functional>
#include <optional>
#include <vector>

namespace schedule {

// The parts of the board content that are sent on their own, and so are planned on their own.
enum class Area { Rooms, Rates, Weather };
inline constexpr std::array<Area, 3> kAreas {Area::Rooms, Area::Rates, Area::Weather};
inline constexpr std::size_t kAreaCount = kAreas.size();
QString areaName(Area area); // "rooms", "rates", "weather"
// The area a content field is sent with; nullopt for the names and the area numbers.
std::optional<Area> areaOfField(storage::Field field);

// Lowest first: a rule of a higher level wins over every rule of a lower one.
enum class Level { Weekly, Season, Dates, Override };
QString levelName(Level level); // "weekly", "season", "dates", "override"

struct PlanValue {
    storage::Field field;
    QString text; // as given, without the file's padding
};

struct Plan {
    QString name;
    std::vector<PlanValue> values; // in record order
    QJsonObject json;              // as given, for giving back
    bool sets(Area area) const;    // holds a value for the area
};

struct MonthDay {
    int month = 1;
    int day = 1;
    friend auto operator<=>(const MonthDay&, const MonthDay&) = default;
};

struct DateItem {
    int year = 0; // 0: every year
    MonthDay day;
};

struct WeekSpan {
    int from = 0; // minute of the week, Monday 00:00 = 0
    int to = 0;
};

struct Rule {
    QString id;
    QString plan;
    bool enabled = true;
    std::vector<WeekSpan> weekly;
    std::optional<std::pair<MonthDay, MonthDay>> season;
    std::vector<DateItem> dates;
    std::optional<std::pair<qint64, qint64>> override_; // local minutes (local_time.h), from < to
    // The minutes of the week the weekly spans cover; every minute when there are none.
    std::bitset<kMinutesPerWeek> week {std::bitset<kMinutesPerWeek>().set()};

    Level level() const;
    // Whether the day passes the season and the dates (true when there are neither).
    bool dayAllowed(QDate date) const;
};

struct Schedule {
    int revision = 0;
    QString timezone; // IANA name; empty: the machine's zone
    std::vector<Plan> plans;
    std::vector<Rule> rules;

    QTimeZone zone() const;
    const Plan* plan(const QString& name) const;
};

// A problem of the schedule, at the path of the JSON value it is about: names and keys joined by
// dots, array positions counted from 1 as in the content's keys ("rules.2.weekly.1.from",
// "plans.weekend.rooms.3").
struct FieldError {
    QString field;
    QString message; // Chinese, for the operator: what is wrong and what is expected
    friend bool operator==(const FieldError&, const FieldError&) = default;
};

// Two enabled rules of one level that can hold at the same moment and set the same area: which
// plan wins there is not decided, so the schedule is refused.
struct Clash {
    QString first;  // rule ids, in the order of the rules
    QString second;
    Level level;
    std::vector<Area> areas;
};

// Checks one value of a plan as a change of that field would be checked; gives the problem, or
// an empty text when the value may stand.
using ValueCheck = std::function<QString(storage::Field field, const QString& value)>;

// Bounds that keep the clash check quick on any input: it compares every pair of rules, and
// two overrides day by day.
inline constexpr int kMaxRules = 200;
inline constexpr int kMaxOverrideDays = 400;

struct ParseResult {
    std::optional<Schedule> schedule; // set only when there is neither an error nor a clash
    std::vector<FieldError> errors;
    std::vector<Clash> clashes;
};

// Reads and checks a schedule. Every problem is reported, each at its field; a clash also stands
// among the errors at the later rule's path ("rules.2"). Keys that the shape does not know are
// errors (a misspelt "weeky" would otherwise be a rule without its condition). An absent revision
// is 0, an absent timezone the machine's zone.
ParseResult parseSchedule(const QJsonObject& json, const ValueCheck& check = {});

// The schedule in the shape above, with the plans as they were given.
QJsonObject scheduleJson(const Schedule& schedule);

// Every pair of enabled rules of one level that can hold at the same moment and whose plans set
// a common area. Exact for the wall clock: "mon 06:00"-"fri 18:00" and "fri 18:00"-"mon 06:00"
// never meet; the winter weekends (season 12-20..01-06 with "sat 00:00"-"mon 00:00") meet a
// January season, since each day of a season falls on every weekday in some year; a date given
// with its year meets a weekly span only on its own weekday. An hour that daylight saving skips
// is not looked at: rules that would meet only there are still refused.
std::vector<Clash> findClashes(const Schedule& schedule);

} // namespace schedule
