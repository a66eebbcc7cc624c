// schedule_year: how long the schedule takes to lay out a year of a hotel's plans, as the page's
// week and year views and GET /api/schedule/timeline ask for it. The plan: weekdays, a weekend
// from Friday 18:00 to Monday 06:00, a season from 20 December to 6 January, 1 January and a
// Wednesday-night override, in Europe/Berlin (whose two daylight-saving changes a year are the
// slow path of the local clock). Each round parses the schedule and lays out the calendar year
// 2027. Prints the median of the rounds (the first argument, 21 by default):
//   schedule_year_ms, schedule_year_segments (segments of all areas in one layout)
#include "median.h"

#include "schedule/resolver.h"
#include "schedule/schedule.h"

#include <QDateTime>
#include <QJsonDocument>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr const char* kHotel = R"({"timezone": "Europe/Berlin",
  "plans": {"weekday": {"rooms": ["988", "888", "788"]}, "weekend": {"rooms": ["1088", "988", "888"]},
            "winter": {"rates": [{"a": "712.35", "b": "731.60"}]},
            "holiday": {"rooms": ["1288", "1188", "1088"], "weather": {"text": "新年快乐"}},
            "fair": {"rooms": ["1588", "1488", "1388"]}},
  "rules": [
    {"id": "week", "plan": "weekday", "weekly": [{"from": "mon 06:00", "to": "fri 18:00"}]},
    {"id": "wkend", "plan": "weekend", "weekly": [{"from": "fri 18:00", "to": "mon 06:00"}]},
    {"id": "winter", "plan": "winter", "season": {"from": "12-20", "to": "01-06"}},
    {"id": "newyear", "plan": "holiday", "dates": ["01-01"]},
    {"id": "fair", "plan": "fair", "override": {"from": "2027-03-17T18:00", "to": "2027-03-18T09:00"}}]})";

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray(kHotel)).object();
    const qint64 from = QDateTime(QDate(2027, 1, 1), QTime(0, 0), QTimeZone("Europe/Berlin")).toMSecsSinceEpoch();
    const qint64 to = QDateTime(QDate(2028, 1, 1), QTime(0, 0), QTimeZone("Europe/Berlin")).toMSecsSinceEpoch();

    std::vector<double> samples;
    std::size_t segments = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const schedule::ParseResult parsed = schedule::parseSchedule(json);
        if (!parsed.schedule) {
            std::fprintf(stderr, "schedule_year: the hotel plan does not parse\n");
            return 1;
        }
        const schedule::Timeline year = schedule::Resolver(*parsed.schedule).timeline(from, to);
        samples.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        segments = 0;
        for (const auto& area : year)
            segments += area.size();
    }
    std::printf("schedule_year_ms %.3f\nschedule_year_segments %zu\n", median(samples), segments);
    return 0;
}
