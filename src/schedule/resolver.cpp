#include "schedule/resolver.h"

#include <algorithm>

namespace schedule {

Resolver::Resolver(const Schedule& schedule)
    : m_clock(schedule.zone())
{
    for (const Rule& rule : schedule.rules) {
        const Plan* plan = schedule.plan(rule.plan);
        if (!rule.enabled || !plan)
            continue;
        Entry entry {&rule, {}, {}};
        for (const Area area : kAreas)
            entry.sets[std::size_t(area)] = plan->sets(area);
        for (int m = 0; m < kMinutesPerWeek; ++m) {
            if (rule.week.test(std::size_t(m)) != rule.week.test(std::size_t((m + kMinutesPerWeek - 1) % kMinutesPerWeek)))
                entry.weekToggles.push_back(m);
        }
        m_entries.push_back(std::move(entry));
    }
}

Winners Resolver::winnersAtLocal(LocalMinute minute) const
{
    const QDate date = dateOf(minute);
    const auto week = std::size_t(minuteOfWeek(minute));
    Winners winners;
    for (const Entry& entry : m_entries) {
        const Rule& rule = *entry.rule;
        if (!rule.week.test(week) || !rule.dayAllowed(date))
            continue;
        if (rule.override_ && (minute < rule.override_->first || minute >= rule.override_->second))
            continue;
        const Level level = rule.level();
        for (const Area area : kAreas) {
            std::optional<Winner>& winner = winners[std::size_t(area)];
            if (entry.sets[std::size_t(area)] && (!winner || level > winner->level))
                winner = Winner {rule.plan, rule.id, level};
        }
    }
    return winners;
}

Winners Resolver::winnersAt(qint64 utcMs) const
{
    return winnersAtLocal(m_clock.localAt(utcMs));
}

std::vector<LocalMinute> Resolver::boundaries(LocalMinute from, LocalMinute to) const
{
    std::vector<LocalMinute> found;
    const auto add = [&](LocalMinute minute) {
        if (minute > from && minute <= to)
            found.push_back(minute);
    };
    const LocalMinute firstWeek = from - minuteOfWeek(from);
    const QDate firstDay = dateOf(from);
    const QDate lastDay = dateOf(to);
    for (const Entry& entry : m_entries) {
        const Rule& rule = *entry.rule;
        for (LocalMinute week = firstWeek; week <= to; week += kMinutesPerWeek) {
            for (const int toggle : entry.weekToggles)
                add(week + toggle);
        }
        if (rule.season || !rule.dates.empty()) {
            bool before = rule.dayAllowed(firstDay.addDays(-1));
            for (QDate day = firstDay; day <= lastDay; day = day.addDays(1)) {
                const bool allowed = rule.dayAllowed(day);
                if (allowed != before)
                    add(localMinuteOf(day, 0));
                before = allowed;
            }
        }
        if (rule.override_) {
            add(rule.override_->first);
            add(rule.override_->second);
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

std::vector<qint64> Resolver::changeInstants(qint64 fromMs, qint64 toMs) const
{
    std::vector<qint64> instants;
    // One minute either side: an instant inside a minute still sees the boundary at that minute's end.
    for (const LocalMinute minute : boundaries(m_clock.localAt(fromMs) - 1, m_clock.localAt(toMs) + 1)) {
        const qint64 at = m_clock.instantOf(minute);
        if (at > fromMs && at < toMs)
            instants.push_back(at);
    }
    // Boundaries in a skipped hour share one instant; the mapping keeps their order otherwise.
    std::sort(instants.begin(), instants.end());
    instants.erase(std::unique(instants.begin(), instants.end()), instants.end());
    return instants;
}

std::optional<qint64> Resolver::nextChange(qint64 utcMs, std::optional<Area> area) const
{
    const Winners now = winnersAt(utcMs);
    const auto differs = [&](const Winners& then) {
        return area ? then[std::size_t(*area)] != now[std::size_t(*area)] : then != now;
    };
    constexpr LocalMinute kYear = 366LL * kMinutesPerDay;
    const LocalMinute start = m_clock.localAt(utcMs);
    // A year at a time, each boundary mapped to its instant only when it is reached.
    for (int year = 0; year < kHorizonYears; ++year) {
        for (const LocalMinute minute : boundaries(start + year * kYear - 1, start + (year + 1) * kYear)) {
            const qint64 at = m_clock.instantOf(minute);
            if (at > utcMs && differs(winnersAt(at)))
                return at;
        }
    }
    return std::nullopt;
}

Timeline Resolver::timeline(qint64 fromMs, qint64 toMs) const
{
    Timeline timeline;
    if (toMs <= fromMs)
        return timeline;
    const Winners first = winnersAt(fromMs);
    for (const Area area : kAreas)
        timeline[std::size_t(area)].push_back({fromMs, toMs, first[std::size_t(area)]});
    for (const qint64 at : changeInstants(fromMs, toMs)) {
        const Winners winners = winnersAt(at);
        for (const Area area : kAreas) {
            std::vector<Segment>& segments = timeline[std::size_t(area)];
            if (segments.back().winner == winners[std::size_t(area)])
                continue;
            segments.back().toMs = at;
            segments.push_back({at, toMs, winners[std::size_t(area)]});
        }
    }
    return timeline;
}

storage::BoardContent contentWith(const Schedule& schedule, const Winners& winners, storage::BoardContent base)
{
    for (const Area area : kAreas) {
        const std::optional<Winner>& winner = winners[std::size_t(area)];
        const Plan* plan = winner ? schedule.plan(winner->plan) : nullptr;
        if (!plan)
            continue;
        for (const PlanValue& value : plan->values) {
            if (areaOfField(value.field) == area)
                storage::setFieldText(base, value.field, value.text);
        }
    }
    return base;
}

} // namespace schedule
