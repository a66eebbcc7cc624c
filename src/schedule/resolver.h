#pragma once
// Which plan is in force for each area at a moment, when that changes next, and how it runs over
// a stretch of time. Pure functions of the schedule and the moment: no clock is read here.
//
// For each area on its own, of the enabled rules that hold and whose plan sets that area, the one
// of the highest level wins (a checked schedule has no two of one level: schedule.h, clashes).
// Where none holds, the area is left as it is.
//
// Example, the schedule of schedule.h with a rule "wkend" of plan "weekend" holding from
// "fri 18:00" to "mon 06:00", in Asia/Shanghai, at 2026-12-19 20:00 (a Saturday):
//   rooms   -> {plan "weekend", rule "wkend", level weekly}
//   rates   -> none: the season "winter" begins on 12-20
//   weather -> none
//   nextChange() -> 2026-12-20 00:00 +08:00, when the season takes the rates.
#include "schedule/local_time.h"
#include "schedule/schedule.h"

#include <QDateTime>

#include <array>
#include <optional>
#include <vector>

namespace schedule {

struct Winner {
    QString plan;
    QString rule;
    Level level = Level::Weekly;
    friend bool operator==(const Winner&, const Winner&) = default;
};
using Winners = std::array<std::optional<Winner>, kAreaCount>;

struct Segment {
    qint64 fromMs = 0; // inclusive
    qint64 toMs = 0;   // exclusive
    std::optional<Winner> winner;
};
using Timeline = std::array<std::vector<Segment>, kAreaCount>;

class Resolver {
public:
    // The schedule must outlive the resolver; it should have passed parseSchedule().
    explicit Resolver(const Schedule& schedule);

    const LocalClock& clock() const { return m_clock; }

    Winners winnersAt(qint64 utcMs) const;
    // The first instant after utcMs at which the winner of any area (or of the one area given)
    // differs from the one at utcMs; nullopt when none does within kHorizonYears.
    std::optional<qint64> nextChange(qint64 utcMs, std::optional<Area> area = std::nullopt) const;
    // The winners of each area from fromMs to toMs, as segments that touch end to start and
    // together cover exactly [fromMs, toMs); neighbouring segments have different winners.
    Timeline timeline(qint64 fromMs, qint64 toMs) const;

    // A schedule changes at least every year or never: a date once a year, or 29 February, which
    // returns within eight years.
    static constexpr int kHorizonYears = 9;

private:
    struct Entry {
        const Rule* rule;
        std::array<bool, kAreaCount> sets;
        std::vector<int> weekToggles; // minutes of the week where its weekly spans begin or end
    };
    Winners winnersAtLocal(LocalMinute minute) const;
    // Local minutes in (from, to] at which some rule may start or stop holding, sorted.
    std::vector<LocalMinute> boundaries(LocalMinute from, LocalMinute to) const;
    // The instants in (fromMs, toMs) at which the winners may change, sorted, each once.
    std::vector<qint64> changeInstants(qint64 fromMs, qint64 toMs) const;

    LocalClock m_clock;
    std::vector<Entry> m_entries; // enabled rules whose plan exists
};

// The base content with the values of each area's winning plan put in.
storage::BoardContent contentWith(const Schedule& schedule, const Winners& winners, storage::BoardContent base);

} // namespace schedule
