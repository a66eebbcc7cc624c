#include "share/line_message.h"

#include <QtEndian>

namespace share {

namespace {

constexpr int kLengthPrefix = 4;
constexpr quint8 kAwaitAnswerFlag = 0x01;

void putU16(QByteArray& out, quint16 value)
{
    out += char(value >> 8);
    out += char(value & 0xFF);
}

void putU32(QByteArray& out, quint32 value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += char((value >> shift) & 0xFF);
}

bool putBlock(QByteArray& out, QByteArrayView block)
{
    if (block.size() > 0xFFFF)
        return false;
    putU16(out, quint16(block.size()));
    out += block;
    return true;
}

QByteArray framed(const QByteArray& body)
{
    QByteArray out;
    putU32(out, quint32(body.size()));
    return out + body;
}

// Reads fields from a body in order; any read past its end marks the reader failed.
class Reader {
public:
    explicit Reader(QByteArrayView body) : m_body(body) {}
    quint8 u8() { return take(1) ? quint8(m_body[m_at - 1]) : 0; }
    quint16 u16() { return take(2) ? qFromBigEndian<quint16>(m_body.data() + m_at - 2) : 0; }
    quint32 u32() { return take(4) ? qFromBigEndian<quint32>(m_body.data() + m_at - 4) : 0; }
    QByteArray block()
    {
        const quint16 length = u16();
        return take(length) ? m_body.sliced(m_at - length, length).toByteArray() : QByteArray();
    }
    bool failed() const { return m_failed; }
    bool atEnd() const { return m_at == m_body.size(); }

private:
    bool take(qsizetype count)
    {
        if (m_failed || m_body.size() - m_at < count) {
            m_failed = true;
            return false;
        }
        m_at += count;
        return true;
    }
    QByteArrayView m_body;
    qsizetype m_at = 0;
    bool m_failed = false;
};

// The body of the first message, or the state that stops reading it.
template <typename T>
std::optional<QByteArrayView> body(QByteArrayView bytes, Decoded<T>& result)
{
    if (bytes.size() < kLengthPrefix)
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(bytes.data());
    if (length > quint32(kMaxBody)) {
        result.state = Decoded<T>::State::Malformed;
        result.error = QStringLiteral("message of %1 bytes is longer than allowed").arg(length);
        return std::nullopt;
    }
    if (bytes.size() - kLengthPrefix < qsizetype(length))
        return std::nullopt;
    result.consumed = kLengthPrefix + qsizetype(length);
    return bytes.sliced(kLengthPrefix, qsizetype(length));
}

template <typename T>
Decoded<T> malformed(const QString& why)
{
    Decoded<T> result;
    result.state = Decoded<T>::State::Malformed;
    result.error = why;
    return result;
}

} // namespace

std::optional<QByteArray> encodeRequest(const LineRequest& request)
{
    QByteArray body;
    body += char(kWireVersion);
    body += char(request.kind);
    body += char(request.awaitAnswer ? kAwaitAnswerFlag : 0);
    putU32(body, request.answerTimeoutMs);
    if (!putBlock(body, request.portName.toUtf8()) || !putBlock(body, request.frame))
        return std::nullopt;
    return framed(body);
}

QByteArray encodeResponse(const LineResponse& response)
{
    QByteArray body;
    body += char(kWireVersion);
    body += char(response.status);
    body += char(response.deviceNumber);
    body += char(response.failure);
    putU32(body, response.total);
    putU32(body, response.accepted);
    putU32(body, response.left);
    // A detail too long for its field is cut: it is only ever shown.
    putBlock(body, response.detail.toUtf8().left(0xFFFF));
    return framed(body);
}

Decoded<LineRequest> decodeRequest(QByteArrayView bytes)
{
    Decoded<LineRequest> result;
    const std::optional<QByteArrayView> message = body(bytes, result);
    if (!message)
        return result;
    Reader reader(*message);
    const quint8 version = reader.u8();
    const quint8 kind = reader.u8();
    const quint8 flags = reader.u8();
    result.value.answerTimeoutMs = reader.u32();
    result.value.portName = QString::fromUtf8(reader.block());
    result.value.frame = reader.block();
    if (reader.failed())
        return malformed<LineRequest>(QStringLiteral("request shorter than its fields say"));
    if (!reader.atEnd())
        return malformed<LineRequest>(QStringLiteral("request longer than its fields say"));
    if (version != kWireVersion)
        return malformed<LineRequest>(QStringLiteral("unknown version %1").arg(version));
    if (kind > quint8(LineKind::SendFrame))
        return malformed<LineRequest>(QStringLiteral("unknown kind %1").arg(kind));
    if ((flags & ~kAwaitAnswerFlag) != 0)
        return malformed<LineRequest>(QStringLiteral("unknown flags %1").arg(flags));
    result.value.kind = LineKind(kind);
    result.value.awaitAnswer = (flags & kAwaitAnswerFlag) != 0;
    if (result.value.kind == LineKind::AskHeld && (!result.value.frame.isEmpty() || result.value.awaitAnswer))
        return malformed<LineRequest>(QStringLiteral("a question about the port carries no frame"));
    result.state = Decoded<LineRequest>::State::Done;
    return result;
}

Decoded<LineResponse> decodeResponse(QByteArrayView bytes)
{
    Decoded<LineResponse> result;
    const std::optional<QByteArrayView> message = body(bytes, result);
    if (!message)
        return result;
    Reader reader(*message);
    const quint8 version = reader.u8();
    const quint8 status = reader.u8();
    result.value.deviceNumber = reader.u8();
    const quint8 failure = reader.u8();
    result.value.total = reader.u32();
    result.value.accepted = reader.u32();
    result.value.left = reader.u32();
    result.value.detail = QString::fromUtf8(reader.block());
    if (reader.failed())
        return malformed<LineResponse>(QStringLiteral("response shorter than its fields say"));
    if (!reader.atEnd())
        return malformed<LineResponse>(QStringLiteral("response longer than its fields say"));
    if (version != kWireVersion)
        return malformed<LineResponse>(QStringLiteral("unknown version %1").arg(version));
    if (status > quint8(LineStatus::TestWaiting))
        return malformed<LineResponse>(QStringLiteral("unknown status %1").arg(status));
    if (failure > quint8(line::kLastWriteFailure))
        return malformed<LineResponse>(QStringLiteral("unknown write failure %1").arg(failure));
    result.value.status = LineStatus(status);
    result.value.failure = line::WriteFailure(failure);
    result.state = Decoded<LineResponse>::State::Done;
    return result;
}

} // namespace share
