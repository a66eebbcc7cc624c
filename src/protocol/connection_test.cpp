#include "protocol/connection_test.h"

#include "protocol/frame.h"

namespace protocol {

namespace {

constexpr int kReplyMarkerOffset = 3;
constexpr int kReplyNumberOffset = 6;
constexpr int kReplyLengthLowOffset = 2;

quint8 byteAt(QByteArrayView bytes, qsizetype index)
{
    return static_cast<quint8>(bytes[index]);
}

} // namespace

QByteArray connectionTestFrame(quint8 deviceId)
{
    const char payload = char(deviceId);
    return buildFrame(deviceId, Command::ConnectionTest, QByteArrayView(&payload, 1));
}

std::optional<int> deviceNumberFromReply(QByteArrayView received)
{
    const qsizetype n = received.size();
    if (n <= kFrameOverhead)
        return std::nullopt;

    const int lengthField = byteAt(received, kLengthOffset) * 256 + byteAt(received, kLengthOffset + 1);
    if (byteAt(received, 0) != kStx || byteAt(received, n - 1) != kEtx
        || byteAt(received, kReplyMarkerOffset) != kMarker || lengthField != n)
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
