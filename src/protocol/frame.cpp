#include "protocol/frame.h"

namespace protocol {

quint8 checkByte(QByteArrayView bytes)
{
    quint8 x = 0;
    for (const char byte : bytes)
        x ^= static_cast<quint8>(byte);
    return x;
}

QByteArray buildFrame(quint8 deviceId, Command command, QByteArrayView payload)
{
    const qsizetype length = payload.size() + kFrameOverhead;
    if (length > kMaxFrameLength)
        return {};

    QByteArray frame;
    frame.reserve(length);
    frame.append(char(kStx));
    frame.append(char(length >> 8));
    frame.append(char(length & 0xFF));
    frame.append(char(deviceId));
    frame.append(char(kMarker));
    frame.append(char(command));
    frame.append(payload);
    frame.append(char(checkByte(QByteArrayView(frame).sliced(kLengthOffset))));
    frame.append(char(kEtx));
    return frame;
}

} // namespace protocol
