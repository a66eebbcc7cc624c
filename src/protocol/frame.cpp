#include "protocol/frame.h"

namespace protocol {

quint8 checkByte(QByteArrayView bytes)
{
    quint8 x = 0;
    for (const char byte : bytes)
        x ^= static_cast<quint8>(byte);
    return x;
}

std::optional<QByteArray> buildFrame(quint8 address, Command command, QByteArrayView payload, FrameShape shape)
{
    const qsizetype length = payload.size() + kFrameOverhead;
    if (payload.isEmpty() || length > kMaxFrameLength)
        return std::nullopt;

    QByteArray frame(kPayloadOffset, '\0');
    frame.reserve(length);
    frame[0] = char(kStx);
    frame[kLengthOffset] = char(length >> 8);
    frame[kLengthOffset + 1] = char(length & 0xFF);
    frame[addressOffset(shape)] = char(address);
    frame[markerOffset(shape)] = char(kMarker);
    frame[kCommandOffset] = char(command);
    frame.append(payload);
    frame.append(char(checkByte(QByteArrayView(frame).sliced(kLengthOffset))));
    frame.append(char(kEtx));
    return frame;
}

} // namespace protocol
