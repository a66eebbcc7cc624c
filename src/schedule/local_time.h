#pragma once
// Wall-clock time of one time zone against instants, with the two rules for the hours that
// daylight saving makes odd:
//   - a local time in the hour that does not exist (the clock jumps over it) stands for the end of
//     that hour: in Europe/Berlin on 2026-03-29 the clock goes from 02:00 CET straight to 03:00
//     CEST, so 02:30 stands for 03:00 CEST (01:00 UTC);
//   - a local time in the hour that happens twice stands for its first occurrence: on 2026-10-25
//     02:30 is 02:30 CEST (00:30 UTC), never 02:30 CET (01:30 UTC).
// A schedule's boundaries are local times, so these two rules make each boundary fire exactly once.
// Read the other way, an instant in the second run of a repeated hour sits at the end of the first
// run: nothing the schedule says about that hour happens twice.
//
// Local times are counted in whole minutes since 1970-01-01 00:00 of the wall clock, as if the
// wall clock were UTC (a LocalMinute); instants in milliseconds since the epoch (UTC).
#include <QDate>
#include <QDateTime>
#include <QTimeZone>

namespace schedule {

using LocalMinute = qint64;
inline constexpr int kMinutesPerDay = 24 * 60;
inline constexpr int kMinutesPerWeek = 7 * kMinutesPerDay;

LocalMinute localMinuteOf(QDate date, int minuteOfDay);
QDate dateOf(LocalMinute minute);
int minuteOfDay(LocalMinute minute);
// 0 for Monday 00:00 to 10079 for Sunday 23:59.
int minuteOfWeek(LocalMinute minute);

class LocalClock {
public:
    explicit LocalClock(QTimeZone zone);
    const QTimeZone& zone() const { return m_zone; }

    // Where the wall clock stands at the instant, to the minute below, with the second run of a
    // repeated hour held at the last minute of its first run.
    //   Europe/Berlin: 2026-10-25 00:30 UTC -> 02:30; 01:30 UTC (02:30 CET, again) -> 02:59
    LocalMinute localAt(qint64 utcMs) const;
    // The instant a local time stands for, by the two rules above.
    //   Europe/Berlin: 2026-03-29 02:30 -> 01:00 UTC; 2026-10-25 02:30 -> 00:30 UTC
    qint64 instantOf(LocalMinute minute) const;

    // The instant as a date-time with the zone's offset at that instant.
    QDateTime dateTimeOf(qint64 utcMs) const;

private:
    int offsetSeconds(qint64 utcMs) const;
    qint64 transitionAfter(qint64 utcMs) const;

    QTimeZone m_zone;
};

} // namespace schedule
