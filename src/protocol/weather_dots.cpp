#include "protocol/weather_dots.h"

#include <algorithm>

namespace protocol {

namespace {

// The payload's bytes ahead of bytes per row; always sent as such, and what the board
// makes of them is its own affair.
constexpr std::array<quint8, kDotBytesPerRowAt> kFixedStart {0x00, 0x01, 0xC0, 0x00};

QString hexText(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

} // namespace

QByteArray weatherDotFrame(quint8 deviceId, std::span<const quint8, kDotBytes> dots)
{
    std::array<quint8, kWeatherDotPayloadBytes> payload {};
    std::copy(kFixedStart.begin(), kFixedStart.end(), payload.begin());
    payload[kDotBytesPerRowAt] = kDotBytesPerRow;
    payload[kDotRowsAt] = kDotRows;
    std::copy(dots.begin(), dots.end(), payload.begin() + kDotHeaderBytes);
    return buildFixedFrame(deviceId, Command::WeatherDots, payload);
}

PayloadParse<DotMatrix> parseWeatherDots(QByteArrayView payload)
{
    if (payload.size() != kWeatherDotPayloadBytes) {
        return PayloadFault {
            QStringLiteral("dot matrix needs %1 bytes, got %2").arg(kWeatherDotPayloadBytes).arg(payload.size())};
    }
    const QByteArrayView fixedStart(kFixedStart.data(), qsizetype(kFixedStart.size()));
    if (payload.first(fixedStart.size()) != fixedStart) {
        return PayloadFault {QStringLiteral("dot matrix starts %1, expected %2")
                                 .arg(hexText(payload.first(fixedStart.size())), hexText(fixedStart))};
    }
    const int bytesPerRow = quint8(payload[kDotBytesPerRowAt]);
    const int rows = quint8(payload[kDotRowsAt]);
    if (bytesPerRow != kDotBytesPerRow || rows != kDotRows) {
        return PayloadFault {QStringLiteral("dot matrix of %1 bytes x %2 rows, this board has %3 x %4")
                                 .arg(bytesPerRow).arg(rows).arg(kDotBytesPerRow).arg(kDotRows)};
    }
    DotMatrix dots {};
    const QByteArrayView matrix = payload.sliced(kDotHeaderBytes);
    std::transform(matrix.begin(), matrix.end(), dots.begin(), [](char byte) { return quint8(byte); });
    return dots;
}

} // namespace protocol
