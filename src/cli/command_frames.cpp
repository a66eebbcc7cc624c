#include "cli/command_frames.h"

#include "cli/exit_status.h"
#include "cli/send_text.h"
#include "protocol/clock.h"
#include "protocol/connection_test.h"
#include "protocol/exchange_rate.h"
#include "protocol/room_rate.h"
#include "protocol/temperature.h"
#include "protocol/weather_dots.h"

#include <span>

namespace cli {

namespace {

CommandFrames failed(int status, const QString& message)
{
    return {{}, status, message};
}

CommandFrames oneFrame(const std::optional<QByteArray>& frame, const QString& areaName, protocol::DisplayArea area,
                       const QString& storedText)
{
    if (frame)
        return {{*frame}, 0, QString()};
    return failed(kContentUnusable,
                  SendText::tr("The %1 area of the content file (\"%2\") is not one the board can have: "
                               "address %3, length %4; both must lie within 0 to %5.")
                      .arg(areaName, storedText)
                      .arg(area.address)
                      .arg(area.length)
                      .arg(protocol::kMaxAreaField));
}

} // namespace

bool needsContent(Command command)
{
    return command == Command::Rooms || command == Command::Rates || command == Command::Weather;
}

CommandFrames framesFor(Command command, const storage::BoardContent* content, quint8 deviceId,
                        const QDateTime& now, const WeatherDrawing& weather)
{
    switch (command) {
    case Command::Test:
        return {{protocol::connectionTestFrame(deviceId)}, 0, QString()};
    case Command::Time:
        if (const std::optional<QByteArray> frame = protocol::clockFrame(deviceId, now))
            return {{*frame}, 0, QString()};
        return failed(kUnavailable, SendText::tr("The computer's clock gives no valid local time."));
    case Command::Rooms: {
        const protocol::DisplayArea area{content->fjAddress, content->fjLength};
        return oneFrame(protocol::roomRateFrame(deviceId, area, content->fjValues), SendText::tr("room-rate"), area,
                        content->fjAreaText);
    }
    case Command::Rates: {
        const protocol::DisplayArea area{content->wbAddress, content->wbLength};
        return oneFrame(protocol::exchangeRateFrame(deviceId, area, content->wbValuesA, content->wbValuesB),
                        SendText::tr("exchange-rate"), area, content->wbAreaText);
    }
    case Command::Weather: {
        const protocol::DisplayArea area{content->wenDuAddress, content->wenDuLength};
        CommandFrames frames = oneFrame(
            protocol::temperatureFrame(deviceId, area, content->lowTemperature, content->highTemperature),
            SendText::tr("temperature"), area, content->wenDuAreaText);
        if (frames.frames.empty())
            return frames;
        if (!weather.draw)
            return failed(kUnavailable, SendText::tr("The weather text cannot be drawn: its module is missing or "
                                                     "damaged (%1). Reinstall vorfjp.")
                                            .arg(weather.unavailable));
        const std::optional<protocol::DotMatrix> dots = weather.draw(content->weatherText);
        if (!dots)
            return failed(kUnavailable, SendText::tr("No font to draw the weather text: install SimSun or "
                                                     "GNU Unifont (Debian: fonts-unifont)."));
        frames.frames.push_back(protocol::weatherDotFrame(deviceId, std::span<const quint8, protocol::kDotBytes>(*dots)));
        return frames;
    }
    }
    return failed(kUsage, QString());
}

} // namespace cli
