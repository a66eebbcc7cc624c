// schedule_year [ROUNDS]: how long the schedule takes to lay out a year of a hotel's plans, as the
// page's week view and GET /api/schedule/timeline ask for it. The plan is the one the resolver's
// tests work out by hand (weekdays, a weekend from Friday 18:00 to Monday 06:00, a season from
// 20 December to 6 January, 1 January and a Wednesday-night override), moved to Europe/Berlin,
// whose two daylight-saving changes a year are the slow path of the local clock. Each round
// parses the schedule and lays out the calendar year 2027. Prints the median of the rounds
// (21 by default):
//   schedule_year_ms, schedule_year_segments (segments of all areas in one layout)
#include "median.h"

#include "schedule/resolver.h"
#include "schedule/schedule.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    QFile file(QStringLiteral(VORFJP_HOTEL_SCHEDULE));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "schedule_year: cannot read %s\n", VORFJP_HOTEL_SCHEDULE);
        return 1;
    }
    QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    json[QStringLiteral("timezone")] = QStringLiteral("Europe/Berlin");
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
