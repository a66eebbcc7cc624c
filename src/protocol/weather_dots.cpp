#include "protocol/weather_dots.h"

#include "protocol/frame.h"

namespace protocol {

QByteArray weatherDotFrame(quint8 deviceId, std::span<const quint8, kDotBytes> dots)
{
    QByteArray payload;
    payload.reserve(6 + kDotBytes);
    payload.append("\x00\x01\xC0\x00", 4);
    payload.append(char(kDotBytesPerRow));
    payload.append(char(kDotRows));
    payload.append(reinterpret_cast<const char*>(dots.data()), kDotBytes);
    return buildFrame(deviceId, Command::WeatherDots, payload);
}

} // namespace protocol
