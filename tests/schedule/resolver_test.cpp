#include "schedule/resolver.h"

#include "schedule_support.h"

#include <QFile>

namespace {

using schedule::Area;
using schedule::Resolver;
using schedule_test::at;
using schedule_test::described;
using schedule_test::parsed;
using schedule_test::utc;

// A moment and the winner of rooms, rates and weather there ("rule@level" or "-").
struct Moment {
    const char* time;
    const char* rooms;
    const char* rates;
    const char* weather;
};

void expectWinners(const Resolver& resolver, const Moment& row)
{
    const schedule::Winners winners = resolver.winnersAt(at(row.time));
    EXPECT_EQ(described(winners[std::size_t(Area::Rooms)]), QString::fromUtf8(row.rooms)) << "rooms at " << row.time;
    EXPECT_EQ(described(winners[std::size_t(Area::Rates)]), QString::fromUtf8(row.rates)) << "rates at " << row.time;
    EXPECT_EQ(described(winners[std::size_t(Area::Weather)]), QString::fromUtf8(row.weather)) << "weather at " << row.time;
}

// Segments as "from..to winner" in UTC.
QStringList segments(const std::vector<schedule::Segment>& list)
{
    QStringList texts;
    for (const schedule::Segment& segment : list)
        texts << utc(segment.fromMs) + QStringLiteral("..") + utc(segment.toMs) + u' ' + described(segment.winner);
    return texts;
}

// Three rules around 02:00-03:00 on Sundays: "early" (rates) ends, "late" (rooms) begins and
// "gap" (weather) lies wholly inside that hour.
constexpr const char* kSundayNight = R"({"timezone": "%1",
  "plans": {"early": {"rates": [{"a": "1.00"}]}, "late": {"rooms": ["100"]}, "gap": {"weather": {"text": "x"}}},
  "rules": [
    {"id": "early", "plan": "early", "weekly": [{"from": "sun 01:00", "to": "sun 02:30"}]},
    {"id": "late", "plan": "late", "weekly": [{"from": "sun 02:30", "to": "sun 05:00"}]},
    {"id": "gap", "plan": "gap", "weekly": [{"from": "sun 02:00", "to": "sun 02:45"}]}]})";

schedule::Schedule sundayNight(const char* zone)
{
    return parsed(QString::fromLatin1(kSundayNight).arg(QLatin1String(zone)).toUtf8().constData());
}

TEST(Resolver, SkippedAndRepeatedHourInBerlinEachBoundaryOnce)
{
    const schedule::Schedule berlin = sundayNight("Europe/Berlin");
    const Resolver resolver(berlin);
    const Moment table[] = {
        // 03-29: 02:00-03:00 does not exist; 02:30 and 02:45 stand for 03:00 CEST.
        {"2026-03-29T00:30:00Z", "-", "early@weekly", "-"},
        {"2026-03-29T00:59:00Z", "-", "early@weekly", "-"},
        {"2026-03-29T01:00:00Z", "late@weekly", "-", "-"}, // "gap" never holds that night
        {"2026-03-29T02:59:00Z", "late@weekly", "-", "-"},
        {"2026-03-29T03:00:00Z", "-", "-", "-"},
        // 10-25: 02:00-03:00 comes twice; each boundary fires in the first run only.
        {"2026-10-24T22:59:00Z", "-", "-", "-"},
        {"2026-10-24T23:00:00Z", "-", "early@weekly", "-"},
        {"2026-10-25T00:00:00Z", "-", "early@weekly", "gap@weekly"},
        {"2026-10-25T00:30:00Z", "late@weekly", "-", "gap@weekly"},
        {"2026-10-25T00:45:00Z", "late@weekly", "-", "-"},
        {"2026-10-25T01:15:00Z", "late@weekly", "-", "-"}, // 02:15 CET: "early" and "gap" stay ended
        {"2026-10-25T03:59:00Z", "late@weekly", "-", "-"},
        {"2026-10-25T04:00:00Z", "-", "-", "-"},
        // An ordinary Sunday.
        {"2026-11-01T01:10:00Z", "-", "early@weekly", "gap@weekly"},
    };
    for (const Moment& row : table)
        expectWinners(resolver, row);

    EXPECT_EQ(utc(resolver.nextChange(at("2026-03-28T23:30:00Z")).value()), QStringLiteral("2026-03-29T00:00:00Z"));
    EXPECT_EQ(utc(resolver.nextChange(at("2026-03-29T00:30:00Z")).value()), QStringLiteral("2026-03-29T01:00:00Z"));
    EXPECT_EQ(utc(resolver.nextChange(at("2026-10-25T00:50:00Z")).value()), QStringLiteral("2026-10-25T04:00:00Z"));

    const schedule::Timeline spring = resolver.timeline(at("2026-03-28T23:00:00Z"), at("2026-03-29T22:00:00Z"));
    EXPECT_EQ(segments(spring[std::size_t(Area::Rooms)]),
              QStringList({"2026-03-28T23:00:00Z..2026-03-29T01:00:00Z -", "2026-03-29T01:00:00Z..2026-03-29T03:00:00Z late@weekly",
                           "2026-03-29T03:00:00Z..2026-03-29T22:00:00Z -"}));
    EXPECT_EQ(segments(spring[std::size_t(Area::Rates)]),
              QStringList({"2026-03-28T23:00:00Z..2026-03-29T00:00:00Z -", "2026-03-29T00:00:00Z..2026-03-29T01:00:00Z early@weekly",
                           "2026-03-29T01:00:00Z..2026-03-29T22:00:00Z -"}));
    EXPECT_EQ(segments(spring[std::size_t(Area::Weather)]), QStringList({"2026-03-28T23:00:00Z..2026-03-29T22:00:00Z -"}));

    const schedule::Timeline autumn = resolver.timeline(at("2026-10-24T22:00:00Z"), at("2026-10-25T23:00:00Z"));
    EXPECT_EQ(segments(autumn[std::size_t(Area::Rooms)]),
              QStringList({"2026-10-24T22:00:00Z..2026-10-25T00:30:00Z -", "2026-10-25T00:30:00Z..2026-10-25T04:00:00Z late@weekly",
                           "2026-10-25T04:00:00Z..2026-10-25T23:00:00Z -"}));
    EXPECT_EQ(segments(autumn[std::size_t(Area::Rates)]),
              QStringList({"2026-10-24T22:00:00Z..2026-10-24T23:00:00Z -", "2026-10-24T23:00:00Z..2026-10-25T00:30:00Z early@weekly",
                           "2026-10-25T00:30:00Z..2026-10-25T23:00:00Z -"}));
    EXPECT_EQ(segments(autumn[std::size_t(Area::Weather)]),
              QStringList({"2026-10-24T22:00:00Z..2026-10-25T00:00:00Z -", "2026-10-25T00:00:00Z..2026-10-25T00:45:00Z gap@weekly",
                           "2026-10-25T00:45:00Z..2026-10-25T23:00:00Z -"}));
}

TEST(Resolver, ShanghaiHasNoOddHoursTheSameRulesRunAsWritten)
{
    const schedule::Schedule shanghai = sundayNight("Asia/Shanghai");
    const Resolver resolver(shanghai);
    const Moment table[] = {
        {"2026-03-29T02:10:00+08:00", "-", "early@weekly", "gap@weekly"},
        {"2026-03-29T02:40:00+08:00", "late@weekly", "-", "gap@weekly"},
        {"2026-10-25T02:15:00+08:00", "-", "early@weekly", "gap@weekly"},
        {"2026-10-25T03:15:00+08:00", "late@weekly", "-", "-"},
    };
    for (const Moment& row : table)
        expectWinners(resolver, row);

    const schedule::Timeline day = resolver.timeline(at("2026-10-25T00:00:00+08:00"), at("2026-10-26T00:00:00+08:00"));
    EXPECT_EQ(segments(day[std::size_t(Area::Weather)]),
              QStringList({"2026-10-24T16:00:00Z..2026-10-24T18:00:00Z -", "2026-10-24T18:00:00Z..2026-10-24T18:45:00Z gap@weekly",
                           "2026-10-24T18:45:00Z..2026-10-25T16:00:00Z -"}));
}

TEST(Resolver, AWeeklySpanFromSundayNightToMondayMorningWrapsTheWeek)
{
    const schedule::Schedule night = parsed(R"({"timezone": "Asia/Shanghai", "plans": {"night": {"rooms": ["1"]}},
        "rules": [{"id": "night", "plan": "night", "weekly": [{"from": "sun 22:00", "to": "mon 06:00"}]}]})");
    const Resolver resolver(night);
    const Moment table[] = {
        {"2026-12-06T21:59:00+08:00", "-", "-", "-"}, // Sunday
        {"2026-12-06T22:00:00+08:00", "night@weekly", "-", "-"},
        {"2026-12-07T00:00:00+08:00", "night@weekly", "-", "-"}, // Monday
        {"2026-12-07T05:59:00+08:00", "night@weekly", "-", "-"},
        {"2026-12-07T06:00:00+08:00", "-", "-", "-"},
        {"2026-12-12T23:00:00+08:00", "-", "-", "-"}, // Saturday
    };
    for (const Moment& row : table)
        expectWinners(resolver, row);
    EXPECT_EQ(utc(resolver.nextChange(at("2026-12-07T07:00:00+08:00")).value()), QStringLiteral("2026-12-13T14:00:00Z"));
}

TEST(Resolver, ASeasonFrom20DecemberTo6JanuarySpansNewYear)
{
    const schedule::Schedule winter = parsed(R"({"timezone": "Asia/Shanghai", "plans": {"winter": {"rates": [{"a": "712.35"}]}},
        "rules": [{"id": "winter", "plan": "winter", "season": {"from": "12-20", "to": "01-06"}}]})");
    const Resolver resolver(winter);
    const Moment table[] = {
        {"2026-12-19T23:59:00+08:00", "-", "-", "-"},
        {"2026-12-20T00:00:00+08:00", "-", "winter@season", "-"},
        {"2026-12-31T12:00:00+08:00", "-", "winter@season", "-"},
        {"2027-01-01T00:00:00+08:00", "-", "winter@season", "-"},
        {"2027-01-06T23:59:00+08:00", "-", "winter@season", "-"},
        {"2027-01-07T00:00:00+08:00", "-", "-", "-"},
        {"2027-06-01T12:00:00+08:00", "-", "-", "-"},
    };
    for (const Moment& row : table)
        expectWinners(resolver, row);
    EXPECT_EQ(utc(resolver.nextChange(at("2027-01-02T10:00:00+08:00")).value()), QStringLiteral("2027-01-06T16:00:00Z"));
    EXPECT_EQ(utc(resolver.nextChange(at("2027-01-07T00:00:00+08:00")).value()), QStringLiteral("2027-12-19T16:00:00Z"));
}

TEST(Resolver, The29thOfFebruaryComesInLeapYearsOnlyAndEndsASeasonOn28thOtherwise)
{
    const schedule::Schedule leap = parsed(R"({"timezone": "Asia/Shanghai",
        "plans": {"leap": {"rooms": ["29"]}, "feb": {"rates": [{"a": "2"}]}},
        "rules": [{"id": "leap", "plan": "leap", "dates": ["02-29"]},
                  {"id": "feb", "plan": "feb", "season": {"from": "02-01", "to": "02-29"}}]})");
    const Resolver resolver(leap);
    const Moment table[] = {
        {"2027-02-28T12:00:00+08:00", "-", "feb@season", "-"},
        {"2027-02-28T23:59:00+08:00", "-", "feb@season", "-"},
        {"2027-03-01T00:00:00+08:00", "-", "-", "-"},
        {"2028-02-28T23:59:00+08:00", "-", "feb@season", "-"},
        {"2028-02-29T00:00:00+08:00", "leap@dates", "feb@season", "-"},
        {"2028-02-29T23:59:00+08:00", "leap@dates", "feb@season", "-"},
        {"2028-03-01T00:00:00+08:00", "-", "-", "-"},
    };
    for (const Moment& row : table)
        expectWinners(resolver, row);
    // More than a year ahead.
    EXPECT_EQ(utc(resolver.nextChange(at("2026-06-01T00:00:00+08:00"), Area::Rooms).value()),
              QStringLiteral("2028-02-28T16:00:00Z"));
}

TEST(Resolver, AnOverrideBeatsAHolidayBeatsASeasonBeatsAWeekdayEachAreaOnItsOwn)
{
    const schedule::Schedule levels = parsed(R"({"timezone": "Asia/Shanghai",
        "plans": {"w": {"rooms": ["100"]}, "s": {"rooms": ["200"], "rates": [{"a": "2"}]}, "h": {"rooms": ["300"]},
                  "o": {"rooms": ["400"]}},
        "rules": [
          {"id": "tonight", "plan": "o", "override": {"from": "2026-12-25T18:00", "to": "2026-12-26T02:00"}},
          {"id": "holiday", "plan": "h", "dates": ["12-25"]},
          {"id": "winter", "plan": "s", "season": {"from": "12-20", "to": "01-06"}},
          {"id": "week", "plan": "w", "weekly": [{"from": "mon 00:00", "to": "sat 00:00"}]}]})");
    const Resolver resolver(levels);
    const Moment table[] = {
        {"2026-12-18T12:00:00+08:00", "week@weekly", "-", "-"}, // Friday before the season
        {"2026-12-19T12:00:00+08:00", "-", "-", "-"},           // Saturday
        {"2026-12-21T12:00:00+08:00", "winter@season", "winter@season", "-"},
        {"2026-12-25T12:00:00+08:00", "holiday@dates", "winter@season", "-"},
        {"2026-12-25T20:00:00+08:00", "tonight@override", "winter@season", "-"},
        {"2026-12-26T01:59:00+08:00", "tonight@override", "winter@season", "-"},
        {"2026-12-26T02:00:00+08:00", "winter@season", "winter@season", "-"},
        {"2027-01-07T12:00:00+08:00", "week@weekly", "-", "-"},
    };
    for (const Moment& row : table)
        expectWinners(resolver, row);
}

TEST(Resolver, DisabledRulesAndPlansWithoutTheAreaTakeNoPart)
{
    const schedule::Schedule off = parsed(R"({"timezone": "Asia/Shanghai",
        "plans": {"a": {"rooms": ["1"]}, "b": {"rooms": [null], "rates": [{"a": "3"}]}},
        "rules": [{"id": "a", "plan": "a", "enabled": false, "dates": ["01-01"]},
                  {"id": "b", "plan": "b", "dates": ["01-01"]}]})");
    const Resolver resolver(off);
    expectWinners(resolver, {"2027-01-01T12:00:00+08:00", "-", "b@dates", "-"});
}

// The hotel: weekdays, a weekend from Friday 18:00 to Monday 06:00, a season from 20 December
// to 6 January, 1 January, and a Wednesday-night override; the benchmark lays out the same.
QByteArray hotelText()
{
    QFile file(QStringLiteral(VORFJP_TEST_DATA "/hotel-schedule.json"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return file.readAll();
}

struct HotelMoment {
    Moment moment;
    const char* next;
};

TEST(Resolver, TheHotelPlanAtTwentyMoments)
{
    const schedule::Schedule hotel = parsed(hotelText().constData());
    const Resolver resolver(hotel);
    const HotelMoment table[] = {
        {{"2026-12-16T12:00:00+08:00", "week@weekly", "-", "-"}, "2026-12-18T18:00:00+08:00"}, // Wednesday
        {{"2026-12-18T17:59:00+08:00", "week@weekly", "-", "-"}, "2026-12-18T18:00:00+08:00"}, // Friday
        {{"2026-12-18T18:00:00+08:00", "wkend@weekly", "-", "-"}, "2026-12-20T00:00:00+08:00"},
        {{"2026-12-19T20:00:00+08:00", "wkend@weekly", "-", "-"}, "2026-12-20T00:00:00+08:00"},
        {{"2026-12-20T00:00:00+08:00", "wkend@weekly", "winter@season", "-"}, "2026-12-21T06:00:00+08:00"},
        {{"2026-12-21T05:59:00+08:00", "wkend@weekly", "winter@season", "-"}, "2026-12-21T06:00:00+08:00"}, // Monday
        {{"2026-12-21T06:00:00+08:00", "week@weekly", "winter@season", "-"}, "2026-12-23T18:00:00+08:00"},
        {{"2026-12-23T17:59:00+08:00", "week@weekly", "winter@season", "-"}, "2026-12-23T18:00:00+08:00"}, // Wednesday
        {{"2026-12-23T18:00:00+08:00", "fair@override", "winter@season", "-"}, "2026-12-24T09:00:00+08:00"},
        {{"2026-12-24T03:00:00+08:00", "fair@override", "winter@season", "-"}, "2026-12-24T09:00:00+08:00"},
        {{"2026-12-24T09:00:00+08:00", "week@weekly", "winter@season", "-"}, "2026-12-25T18:00:00+08:00"},
        {{"2026-12-31T23:59:00+08:00", "week@weekly", "winter@season", "-"}, "2027-01-01T00:00:00+08:00"},
        {{"2027-01-01T00:00:00+08:00", "newyear@dates", "winter@season", "newyear@dates"}, "2027-01-02T00:00:00+08:00"},
        {{"2027-01-01T18:00:00+08:00", "newyear@dates", "winter@season", "newyear@dates"}, "2027-01-02T00:00:00+08:00"},
        {{"2027-01-02T00:00:00+08:00", "wkend@weekly", "winter@season", "-"}, "2027-01-04T06:00:00+08:00"}, // Saturday
        {{"2027-01-04T06:00:00+08:00", "week@weekly", "winter@season", "-"}, "2027-01-07T00:00:00+08:00"},
        {{"2027-01-06T23:59:00+08:00", "week@weekly", "winter@season", "-"}, "2027-01-07T00:00:00+08:00"},
        {{"2027-01-07T00:00:00+08:00", "week@weekly", "-", "-"}, "2027-01-08T18:00:00+08:00"},
        {{"2027-01-08T18:00:00+08:00", "wkend@weekly", "-", "-"}, "2027-01-11T06:00:00+08:00"},
        {{"2027-12-20T00:00:00+08:00", "wkend@weekly", "winter@season", "-"}, "2027-12-20T06:00:00+08:00"}, // Monday
    };
    for (const HotelMoment& row : table) {
        expectWinners(resolver, row.moment);
        const std::optional<qint64> next = resolver.nextChange(at(row.moment.time));
        ASSERT_TRUE(next.has_value()) << row.moment.time;
        EXPECT_EQ(resolver.clock().dateTimeOf(*next).toString(Qt::ISODate), QString::fromLatin1(row.next)) << row.moment.time;
    }

    storage::BoardContent base;
    base.fjValues.fill(QStringLiteral("  99"));
    const storage::BoardContent newYear = schedule::contentWith(hotel, resolver.winnersAt(at("2027-01-01T12:00:00+08:00")), base);
    EXPECT_EQ(newYear.fjValues[0], QStringLiteral("1288"));
    EXPECT_EQ(newYear.fjValues[2], QStringLiteral("1088"));
    EXPECT_EQ(newYear.fjValues[3], QStringLiteral("  99")); // a shorter plan leaves the other rows
    EXPECT_EQ(newYear.wbValuesA[0], QStringLiteral("712.35"));
    EXPECT_EQ(newYear.wbValuesB[0], QStringLiteral("731.60"));
    EXPECT_EQ(newYear.weatherText, QStringLiteral("新年快乐"));
}

TEST(Resolver, TheHotelPlanOverTheYear2027)
{
    const schedule::Schedule hotel = parsed(hotelText().constData());
    const Resolver resolver(hotel);
    const schedule::Timeline year = resolver.timeline(at("2027-01-01T00:00:00+08:00"), at("2028-01-01T00:00:00+08:00"));

    // New Year's day, the weekend after it, then from each of 52 Mondays 06:00 and 52 Fridays
    // 18:00 (8 January to 31 December) a segment of its own.
    const std::vector<schedule::Segment>& rooms = year[std::size_t(Area::Rooms)];
    ASSERT_EQ(rooms.size(), 106U);
    const QStringList firstThree = segments({rooms.begin(), rooms.begin() + 3});
    EXPECT_EQ(firstThree, QStringList({"2026-12-31T16:00:00Z..2027-01-01T16:00:00Z newyear@dates",
                                       "2027-01-01T16:00:00Z..2027-01-03T22:00:00Z wkend@weekly",
                                       "2027-01-03T22:00:00Z..2027-01-08T10:00:00Z week@weekly"}));
    EXPECT_EQ(segments({rooms.back()}), QStringList({"2027-12-31T10:00:00Z..2027-12-31T16:00:00Z wkend@weekly"}));
    for (std::size_t i = 1; i < rooms.size(); ++i) {
        EXPECT_EQ(rooms[i].fromMs, rooms[i - 1].toMs) << i;
        if (i >= 2) {
            EXPECT_EQ(described(rooms[i].winner), i % 2 == 0 ? QStringLiteral("week@weekly") : QStringLiteral("wkend@weekly")) << i;
        }
    }
    EXPECT_EQ(segments(year[std::size_t(Area::Rates)]),
              QStringList({"2026-12-31T16:00:00Z..2027-01-06T16:00:00Z winter@season", "2027-01-06T16:00:00Z..2027-12-19T16:00:00Z -",
                           "2027-12-19T16:00:00Z..2027-12-31T16:00:00Z winter@season"}));
    EXPECT_EQ(segments(year[std::size_t(Area::Weather)]),
              QStringList({"2026-12-31T16:00:00Z..2027-01-01T16:00:00Z newyear@dates", "2027-01-01T16:00:00Z..2027-12-31T16:00:00Z -"}));
}

} // namespace
