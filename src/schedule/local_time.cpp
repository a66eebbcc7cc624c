#include "schedule/local_time.h"

namespace schedule {

namespace {

constexpr qint64 kEpochJulianDay = 2440588; // 1970-01-01
constexpr qint64 kMsPerMinute = 60 * 1000;
constexpr qint64 kMsPerDay = 24 * 60 * kMsPerMinute;

qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

qint64 floorMod(qint64 a, qint64 b)
{
    return a - floorDiv(a, b) * b;
}

} // namespace

LocalMinute localMinuteOf(QDate date, int minuteOfDay)
{
    return (date.toJulianDay() - kEpochJulianDay) * kMinutesPerDay + minuteOfDay;
}

QDate dateOf(LocalMinute minute)
{
    return QDate::fromJulianDay(kEpochJulianDay + floorDiv(minute, kMinutesPerDay));
}

int minuteOfDay(LocalMinute minute)
{
    return int(floorMod(minute, kMinutesPerDay));
}

int minuteOfWeek(LocalMinute minute)
{
    // 1970-01-01 was a Thursday: three days after a Monday.
    return int(floorMod(minute + 3 * kMinutesPerDay, kMinutesPerWeek));
}

LocalClock::LocalClock(QTimeZone zone)
    : m_zone(std::move(zone))
{
}

int LocalClock::offsetSeconds(qint64 utcMs) const
{
    return m_zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC));
}

qint64 LocalClock::transitionAfter(qint64 utcMs) const
{
    const QTimeZone::OffsetData next = m_zone.nextTransition(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC));
    return next.atUtc.isValid() ? next.atUtc.toMSecsSinceEpoch() : utcMs;
}

LocalMinute LocalClock::localAt(qint64 utcMs) const
{
    const int offset = offsetSeconds(utcMs);
    qint64 localMs = utcMs + offset * 1000LL;
    // Clocks go back by at most a few hours: an earlier offset that is larger means the wall
    // clock may be showing a time it has shown before.
    const int earlier = offsetSeconds(utcMs - 3 * 60 * kMsPerMinute);
    if (earlier > offset) {
        const qint64 firstRun = localMs - earlier * 1000LL;
        if (firstRun < utcMs && offsetSeconds(firstRun) == earlier)
            localMs = transitionAfter(firstRun) + earlier * 1000LL - 1;
    }
    return floorDiv(localMs, kMsPerMinute);
}

qint64 LocalClock::instantOf(LocalMinute minute) const
{
    const qint64 wallMs = minute * kMsPerMinute;
    // The offsets in force a day either side; a zone changes its offset at most once in two days.
    const int before = offsetSeconds(wallMs - kMsPerDay);
    const int after = offsetSeconds(wallMs + kMsPerDay);
    const qint64 withBefore = wallMs - before * 1000LL;
    const qint64 withAfter = wallMs - after * 1000LL;
    const bool beforeFits = offsetSeconds(withBefore) == before;
    const bool afterFits = offsetSeconds(withAfter) == after;
    if (beforeFits && afterFits)
        return std::min(withBefore, withAfter); // repeated: the first occurrence
    if (beforeFits)
        return withBefore;
    if (afterFits)
        return withAfter;
    // In the gap: the end of the gap is the instant of the change, which lies between the two.
    return transitionAfter(std::min(withBefore, withAfter));
}

QDateTime LocalClock::dateTimeOf(qint64 utcMs) const
{
    return QDateTime::fromMSecsSinceEpoch(utcMs, Qt::UTC).toOffsetFromUtc(offsetSeconds(utcMs));
}

} // namespace schedule
