#include "schedule/local_time.h"

#include "schedule_support.h"

namespace {

using schedule::LocalClock;
using schedule::LocalMinute;
using schedule_test::at;
using schedule_test::utc;

LocalMinute local(const char* text)
{
    const QDateTime wall = QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
    return schedule::localMinuteOf(wall.date(), wall.time().hour() * 60 + wall.time().minute());
}

QString wall(LocalMinute minute)
{
    const int ofDay = schedule::minuteOfDay(minute);
    return schedule::dateOf(minute).toString(Qt::ISODate) +
           QStringLiteral("T%1:%2").arg(ofDay / 60, 2, 10, QLatin1Char('0')).arg(ofDay % 60, 2, 10, QLatin1Char('0'));
}

// Europe/Berlin in 2026: CET (+1) until 03-29 01:00 UTC, when 02:00-03:00 is skipped; CEST (+2)
// until 10-25 01:00 UTC, when 02:00-03:00 comes twice. Asia/Shanghai keeps +8 all year.
struct Mapping {
    const char* zone;
    const char* local;
    const char* instant;
};

TEST(LocalClock, ALocalTimeStandsForOneInstantSkippedHourToItsEndRepeatedHourToItsFirstRun)
{
    const Mapping table[] = {
        {"Europe/Berlin", "2026-03-29T01:59", "2026-03-29T00:59:00Z"},
        {"Europe/Berlin", "2026-03-29T02:00", "2026-03-29T01:00:00Z"}, // skipped: the end of the hour
        {"Europe/Berlin", "2026-03-29T02:30", "2026-03-29T01:00:00Z"},
        {"Europe/Berlin", "2026-03-29T02:59", "2026-03-29T01:00:00Z"},
        {"Europe/Berlin", "2026-03-29T03:00", "2026-03-29T01:00:00Z"},
        {"Europe/Berlin", "2026-03-29T03:30", "2026-03-29T01:30:00Z"},
        {"Europe/Berlin", "2026-10-25T01:59", "2026-10-24T23:59:00Z"},
        {"Europe/Berlin", "2026-10-25T02:00", "2026-10-25T00:00:00Z"}, // twice: the first, CEST
        {"Europe/Berlin", "2026-10-25T02:30", "2026-10-25T00:30:00Z"},
        {"Europe/Berlin", "2026-10-25T03:00", "2026-10-25T02:00:00Z"},
        {"Europe/Berlin", "2026-07-01T12:00", "2026-07-01T10:00:00Z"},
        {"Asia/Shanghai", "2026-03-29T02:30", "2026-03-28T18:30:00Z"},
        {"Asia/Shanghai", "2026-10-25T02:30", "2026-10-24T18:30:00Z"},
        {"Asia/Shanghai", "2028-02-29T00:00", "2028-02-28T16:00:00Z"},
    };
    for (const Mapping& row : table) {
        const LocalClock clock(QTimeZone(row.zone));
        EXPECT_EQ(utc(clock.instantOf(local(row.local))), QString::fromLatin1(row.instant)) << row.zone << ' ' << row.local;
    }
}

TEST(LocalClock, AnInstantInTheSecondRunOfARepeatedHourStaysAtTheEndOfTheFirstRun)
{
    const Mapping table[] = {
        {"Europe/Berlin", "2026-10-25T02:30", "2026-10-25T00:30:00Z"},
        {"Europe/Berlin", "2026-10-25T02:59", "2026-10-25T00:59:59Z"},
        {"Europe/Berlin", "2026-10-25T02:59", "2026-10-25T01:00:00Z"}, // 02:00 CET, again
        {"Europe/Berlin", "2026-10-25T02:59", "2026-10-25T01:30:00Z"},
        {"Europe/Berlin", "2026-10-25T02:59", "2026-10-25T01:59:59Z"},
        {"Europe/Berlin", "2026-10-25T03:00", "2026-10-25T02:00:00Z"},
        {"Europe/Berlin", "2026-03-29T01:59", "2026-03-29T00:59:59Z"},
        {"Europe/Berlin", "2026-03-29T03:00", "2026-03-29T01:00:00Z"},
        {"Asia/Shanghai", "2026-10-25T02:30", "2026-10-24T18:30:00Z"},
        {"Asia/Shanghai", "2026-10-25T03:30", "2026-10-24T19:30:00Z"},
    };
    for (const Mapping& row : table) {
        const LocalClock clock(QTimeZone(row.zone));
        EXPECT_EQ(wall(clock.localAt(at(row.instant))), QString::fromLatin1(row.local)) << row.zone << ' ' << row.instant;
    }
}

} // namespace
