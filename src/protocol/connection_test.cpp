#include "protocol/connection_test.h"

#include "protocol/frame.h"

#include <array>

namespace protocol {

QByteArray connectionTestFrame(quint8 deviceId)
{
    return buildFixedFrame(deviceId, Command::ConnectionTest, std::array<quint8, 1>{deviceId});
}

QByteArray connectionTestReply(quint8 deviceNumber)
{
    return buildFixedFrame(0x00, Command::ConnectionTest, std::array<quint8, 1>{deviceNumber}, FrameShape::Reply);
}

std::optional<int> deviceNumberFromReply(QByteArrayView received)
{
    const FrameParse parsed = parseFrame(received, FrameShape::Reply);
    const auto* reply = std::get_if<DecodedFrame>(&parsed);
    if (!reply)
        return std::nullopt;
    // A longer test reply still gives its first payload byte, byte 6.
    if (reply->command == quint8(Command::ConnectionTest))
        return quint8(reply->payload.front());
    // Any other reply gives byte 2, the low byte of the length field: the frame has
    // passed, so that is its length modulo 256.
    return int(reply->bytes.size() % 256);
}

PayloadParse<quint8> parseConnectionTest(QByteArrayView payload)
{
    if (payload.size() != 1)
        return PayloadFault {QStringLiteral("connection test needs 1 byte, got %1").arg(payload.size())};
    return quint8(payload.front());
}

QString deviceFoundMessage(int number)
{
    return QStringLiteral("找到 %1 号设备~！").arg(number);
}

} // namespace protocol
