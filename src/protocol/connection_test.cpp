#include "protocol/connection_test.h"

#include "protocol/frame.h"

#include <array>

namespace protocol {

namespace {

constexpr int kReplyNumberOffset = kPayloadOffset;
constexpr int kReplyLengthLowOffset = kLengthOffset + 1;

quint8 byteAt(QByteArrayView bytes, qsizetype index)
{
    return static_cast<quint8>(bytes[index]);
}

} // namespace

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
    const qsizetype n = received.size();
    if (n <= kFrameOverhead)
        return std::nullopt;

    const int lengthField = byteAt(received, kLengthOffset) * 256 + byteAt(received, kLengthOffset + 1);
    if (byteAt(received, 0) != kStx || byteAt(received, n - 1) != kEtx
        || byteAt(received, markerOffset(FrameShape::Reply)) != kMarker || lengthField != n)
        return std::nullopt;

    if (checkByte(received.sliced(kLengthOffset, n - 3)) != byteAt(received, n - 2))
        return std::nullopt;

    if (byteAt(received, kCommandOffset) == quint8(Command::ConnectionTest))
        return byteAt(received, kReplyNumberOffset);
    return byteAt(received, kReplyLengthLowOffset);
}

QString deviceFoundMessage(int number)
{
    return QStringLiteral("找到 %1 号设备~！").arg(number);
}

} // namespace protocol
