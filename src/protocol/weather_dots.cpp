#include "protocol/weather_dots.h"

#include <algorithm>

namespace protocol {

QByteArray weatherDotFrame(quint8 deviceId, std::span<const quint8, kDotBytes> dots)
{
    std::array<quint8, kWeatherDotPayloadBytes> payload {0x00, 0x01, 0xC0, 0x00};
    payload[kDotBytesPerRowAt] = kDotBytesPerRow;
    payload[kDotRowsAt] = kDotRows;
    std::copy(dots.begin(), dots.end(), payload.begin() + kDotHeaderBytes);
    return buildFixedFrame(deviceId, Command::WeatherDots, payload);
}

} // namespace protocol
