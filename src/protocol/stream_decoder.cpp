#include "protocol/stream_decoder.h"

#include <algorithm>

namespace protocol {

namespace {

// A run of noise is reported in pieces of at most this size, so that a line
// carrying nothing but noise neither grows memory nor stays silent.
constexpr qsizetype kLongestRun = 4096;

QString hexByte(quint8 value)
{
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

StreamDecoder::StreamDecoder(FrameShape shape, int maxFrameLength)
    : m_shape(shape)
    , m_maxFrameLength(std::clamp(maxFrameLength, kShortestFrame, kMaxFrameLength))
{
}

std::vector<DecodedItem> StreamDecoder::push(QByteArrayView bytes)
{
    m_buffer.append(bytes);
    quint8 running = m_runningXor.isEmpty() ? 0 : quint8(m_runningXor.back());
    for (char byte : bytes) {
        running ^= quint8(byte);
        m_runningXor.append(char(running));
    }
    return scan(false);
}

std::vector<DecodedItem> StreamDecoder::flush()
{
    return scan(true);
}

qsizetype StreamDecoder::pendingBytes() const
{
    return m_buffer.size() - m_head + (m_openRun ? m_openRun->bytes.size() : 0);
}

std::vector<DecodedItem> StreamDecoder::scan(bool giveUp)
{
    std::vector<DecodedItem> out;
    while (m_head < m_buffer.size()) {
        if (quint8(m_buffer.at(m_head)) != kStx) {
            qsizetype next = m_buffer.indexOf(char(kStx), m_head);
            if (next < 0)
                next = m_buffer.size();
            addNoise(QByteArrayView(m_buffer).sliced(m_head, next - m_head), QStringLiteral("no start byte 0x02"), out);
            m_head = next;
            continue;
        }
        closeRun(out);
        const Examination exam = examineAtHead();
        if (exam.verdict == Verdict::Frame) {
            const QByteArray bytes = m_buffer.sliced(m_head, exam.length);
            out.push_back(DecodedFrame {bytes, quint8(bytes.at(addressOffset(m_shape))), quint8(bytes.at(kCommandOffset)),
                                        bytes.sliced(kPayloadOffset, exam.length - kFrameOverhead)});
            m_head += exam.length;
        } else if (exam.verdict == Verdict::Reject || giveUp) {
            addNoise(QByteArrayView(m_buffer).sliced(m_head, 1), describe(exam), out);
            ++m_head;
        } else {
            break;
        }
    }
    if (giveUp)
        closeRun(out);

    if (m_head == m_buffer.size()) {
        m_buffer.clear();
        m_runningXor.clear();
        m_head = 0;
    } else if (m_head > m_buffer.size() / 2) {
        const quint8 dropped = quint8(m_runningXor.at(m_head - 1));
        m_buffer.remove(0, m_head);
        m_runningXor.remove(0, m_head);
        for (char& value : m_runningXor)
            value = char(quint8(value) ^ dropped);
        m_head = 0;
    }
    return out;
}

StreamDecoder::Examination StreamDecoder::examineAtHead() const
{
    const QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_head);
    if (rest.size() < 3)
        return {Verdict::NeedMore, 0, Problem::NoLengthYet};

    const int length = quint8(rest.at(1)) * 256 + quint8(rest.at(2));
    if (length < kShortestFrame)
        return {Verdict::Reject, length, Problem::TooShort};
    if (length > m_maxFrameLength)
        return {Verdict::Reject, length, Problem::TooLong};
    if (rest.size() < length)
        return {Verdict::NeedMore, length, Problem::CutShort};

    const quint8 end = quint8(rest.at(length - 1));
    if (end != kEtx)
        return {Verdict::Reject, length, Problem::WrongEnd, end, kEtx};

    // XOR of the bytes at offsets 1 .. length-3 from the running XOR, so that a
    // stream full of long candidates costs no more than a short one.
    const quint8 expected = quint8(m_runningXor.at(m_head + length - 3)) ^ quint8(m_runningXor.at(m_head));
    const quint8 actual = quint8(rest.at(length - 2));
    if (actual != expected)
        return {Verdict::Reject, length, Problem::WrongCheck, actual, expected};

    const quint8 marker = quint8(rest.at(markerOffset(m_shape)));
    if (marker != kMarker)
        return {Verdict::Reject, length, Problem::NoMarker, marker, kMarker};

    return {Verdict::Frame, length};
}

QString StreamDecoder::describe(const Examination& exam) const
{
    switch (exam.problem) {
    case Problem::NoLengthYet:
        return QStringLiteral("frame cut short before its length field");
    case Problem::TooShort:
        return QStringLiteral("length %1 is below the minimum of %2").arg(exam.length).arg(kShortestFrame);
    case Problem::TooLong:
        return QStringLiteral("length %1 is above the longest accepted frame of %2").arg(exam.length).arg(m_maxFrameLength);
    case Problem::CutShort:
        return QStringLiteral("frame cut short: length %1 announced, %2 bytes came")
            .arg(exam.length)
            .arg(m_buffer.size() - m_head);
    case Problem::WrongEnd:
        return QStringLiteral("end byte at offset %1 is %2, expected 0x03").arg(exam.length - 1).arg(hexByte(exam.found));
    case Problem::WrongCheck:
        return QStringLiteral("check byte is %1, expected %2").arg(hexByte(exam.found), hexByte(exam.expected));
    case Problem::NoMarker:
        return QStringLiteral("byte at offset %1 is %2, expected the marker 0xEE")
            .arg(markerOffset(m_shape))
            .arg(hexByte(exam.found));
    case Problem::None:
        break;
    }
    return {};
}

void StreamDecoder::addNoise(QByteArrayView bytes, const QString& reason, std::vector<DecodedItem>& out)
{
    while (!bytes.isEmpty()) {
        if (!m_openRun)
            m_openRun = RejectedRun {{}, reason};
        const qsizetype room = kLongestRun - m_openRun->bytes.size();
        const qsizetype taken = std::min(room, bytes.size());
        m_openRun->bytes.append(bytes.first(taken));
        bytes = bytes.sliced(taken);
        if (m_openRun->bytes.size() >= kLongestRun)
            closeRun(out);
    }
}

void StreamDecoder::closeRun(std::vector<DecodedItem>& out)
{
    if (m_openRun) {
        out.push_back(std::move(*m_openRun));
        m_openRun.reset();
    }
}

} // namespace protocol
