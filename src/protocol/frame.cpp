#include "protocol/frame.h"

namespace protocol {

namespace {

// The offsets of frame.h's layout; only this file reads or writes them.
constexpr int kLengthOffset = 1;
constexpr int kCommandOffset = 5;
constexpr int kPayloadOffset = 6;
// The length field is whole once its two bytes are there.
constexpr int kLengthFieldEnd = kLengthOffset + 2;

constexpr int markerOffset(FrameShape shape)
{
    return shape == FrameShape::Sent ? 4 : 3;
}

constexpr int addressOffset(FrameShape shape)
{
    return shape == FrameShape::Sent ? 3 : 4;
}

quint8 byteAt(QByteArrayView bytes, qsizetype offset)
{
    return quint8(bytes[offset]);
}

// Whether only the frame at the start of the bytes counts, or the bytes must be that frame.
enum class Extent { AtStart, Exact };

// The check expected of a frame of length bytes at the start of stream: the XOR of its
// offsets 1 .. length-3, from the running XOR when there is one.
quint8 expectedCheck(QByteArrayView stream, QByteArrayView runningXor, int length)
{
    if (runningXor.isEmpty())
        return checkByte(stream.sliced(kLengthOffset, length - 3));
    return byteAt(runningXor, length - 3) ^ byteAt(runningXor, 0);
}

FrameParse parse(QByteArrayView bytes, QByteArrayView runningXor, FrameShape shape, int longest, Extent extent)
{
    FrameFault fault {FrameFault::Kind::WrongStart};
    fault.received = bytes.size();
    fault.longest = longest;
    const auto fail = [&fault](FrameFault::Kind kind) {
        fault.kind = kind;
        return fault;
    };
    const auto wrongByte = [&fault, bytes](FrameFault::Kind kind, int offset, quint8 expected) {
        fault.kind = kind;
        fault.offset = offset;
        fault.found = byteAt(bytes, offset);
        fault.expected = expected;
        return fault;
    };

    if (!bytes.isEmpty() && byteAt(bytes, 0) != kStx)
        return wrongByte(FrameFault::Kind::WrongStart, 0, kStx);
    if (bytes.size() < kLengthFieldEnd)
        return fail(FrameFault::Kind::NoLengthField);

    const int length = byteAt(bytes, kLengthOffset) * 256 + byteAt(bytes, kLengthOffset + 1);
    fault.length = length;
    if (length < kShortestFrame)
        return fail(FrameFault::Kind::LengthBelowShortest);
    if (length > longest)
        return fail(FrameFault::Kind::LengthAboveLongest);
    if (bytes.size() < length)
        return fail(FrameFault::Kind::CutShort);
    if (extent == Extent::Exact && bytes.size() > length)
        return fail(FrameFault::Kind::LongerThanLength);

    if (byteAt(bytes, length - 1) != kEtx)
        return wrongByte(FrameFault::Kind::WrongEnd, length - 1, kEtx);
    const quint8 expected = expectedCheck(bytes, runningXor, length);
    if (byteAt(bytes, length - 2) != expected)
        return wrongByte(FrameFault::Kind::WrongCheck, length - 2, expected);
    if (byteAt(bytes, markerOffset(shape)) != kMarker)
        return wrongByte(FrameFault::Kind::NoMarker, markerOffset(shape), kMarker);

    const QByteArrayView frame = bytes.first(length);
    return DecodedFrame {frame.toByteArray(), byteAt(frame, addressOffset(shape)), byteAt(frame, kCommandOffset),
                         frame.sliced(kPayloadOffset, length - kFrameOverhead).toByteArray()};
}

} // namespace

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

FrameParse parseFrame(QByteArrayView bytes, FrameShape shape, int longest)
{
    return parse(bytes, {}, shape, longest, Extent::Exact);
}

FrameParse parseFrameAtStart(QByteArrayView stream, QByteArrayView runningXor, FrameShape shape, int longest)
{
    Q_ASSERT(runningXor.size() == stream.size());
    return parse(stream, runningXor, shape, longest, Extent::AtStart);
}

QString faultText(const FrameFault& fault)
{
    switch (fault.kind) {
    case FrameFault::Kind::NoLengthField:
        return QStringLiteral("frame cut short before its length field");
    case FrameFault::Kind::WrongStart:
        return QStringLiteral("start byte is %1, expected 0x02").arg(hexByte(fault.found));
    case FrameFault::Kind::LengthBelowShortest:
        return QStringLiteral("length %1 is below the minimum of %2").arg(fault.length).arg(kShortestFrame);
    case FrameFault::Kind::LengthAboveLongest:
        return QStringLiteral("length %1 is above the longest accepted frame of %2")
            .arg(fault.length)
            .arg(fault.longest);
    case FrameFault::Kind::CutShort:
        return QStringLiteral("frame cut short: length %1 announced, %2 bytes came")
            .arg(fault.length)
            .arg(fault.received);
    case FrameFault::Kind::LongerThanLength:
        return QStringLiteral("length %1 announced, but %2 bytes came").arg(fault.length).arg(fault.received);
    case FrameFault::Kind::WrongEnd:
        return QStringLiteral("end byte at offset %1 is %2, expected 0x03").arg(fault.offset).arg(hexByte(fault.found));
    case FrameFault::Kind::WrongCheck:
        return QStringLiteral("check byte is %1, expected %2").arg(hexByte(fault.found), hexByte(fault.expected));
    case FrameFault::Kind::NoMarker:
        return QStringLiteral("byte at offset %1 is %2, expected the marker 0xEE")
            .arg(fault.offset)
            .arg(hexByte(fault.found));
    }
    return {};
}

QString hexByte(quint8 value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace protocol
