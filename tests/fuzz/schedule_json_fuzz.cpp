// A schedule as PUT /api/schedule takes it: any bytes as JSON, read and checked. A schedule that
// passes gives back a shape that passes again unchanged, and lays out a week across a
// daylight-saving change as segments that cover it end to end, each different from the one
// before; the next change from the week's start is where the winners really change.
#include "schedule/resolver.h"
#include "schedule/schedule.h"

#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!document.isObject())
        return 0;
    const schedule::ParseResult parsed = schedule::parseSchedule(document.object());
    if (!parsed.schedule) {
        if (parsed.errors.empty())
            std::abort();
        return 0;
    }
    const QJsonObject shape = schedule::scheduleJson(*parsed.schedule);
    const schedule::ParseResult again = schedule::parseSchedule(shape);
    if (!again.schedule || schedule::scheduleJson(*again.schedule) != shape)
        std::abort();

    const schedule::Resolver resolver(*parsed.schedule);
    const qint64 from = 1792713600000; // 2026-10-23 00:00 UTC, two days before Europe's clocks go back
    const qint64 to = from + 7LL * 24 * 60 * 60 * 1000;
    const schedule::Timeline week = resolver.timeline(from, to);
    for (const auto& segments : week) {
        if (segments.empty() || segments.front().fromMs != from || segments.back().toMs != to)
            std::abort();
        for (std::size_t i = 1; i < segments.size(); ++i) {
            if (segments[i].fromMs != segments[i - 1].toMs || segments[i].fromMs >= segments[i].toMs
                || segments[i].winner == segments[i - 1].winner)
                std::abort();
        }
    }
    if (const std::optional<qint64> next = resolver.nextChange(from)) {
        if (*next <= from || resolver.winnersAt(*next) == resolver.winnersAt(from))
            std::abort();
    }
    return 0;
}
