#include "protocol/stream_decoder.h"

#include <algorithm>

namespace protocol {

namespace {

// A run of noise is reported in pieces of at most this size, so that a line
// carrying nothing but noise neither grows memory nor stays silent.
constexpr qsizetype kLongestRun = 4096;

// The faults that more bytes may still mend.
bool mayComplete(const FrameFault& fault)
{
    return fault.kind == FrameFault::Kind::NoLengthField || fault.kind == FrameFault::Kind::CutShort;
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
        FrameParse parsed = parseFrameAtStart(QByteArrayView(m_buffer).sliced(m_head),
                                              QByteArrayView(m_runningXor).sliced(m_head), m_shape, m_maxFrameLength);
        if (auto* frame = std::get_if<DecodedFrame>(&parsed)) {
            m_head += frame->bytes.size();
            out.push_back(std::move(*frame));
            continue;
        }
        const FrameFault& fault = std::get<FrameFault>(parsed);
        if (mayComplete(fault) && !giveUp)
            break;
        // Only the start byte is rejected: a good frame may begin inside the bad one.
        addNoise(QByteArrayView(m_buffer).sliced(m_head, 1), faultText(fault), out);
        ++m_head;
    }
    if (giveUp)
        closeRun(out);

    if (m_head == m_buffer.size()) {
        m_buffer.clear();
        m_runningXor.clear();
        m_head = 0;
    } else if (m_head > m_buffer.size() / 2) {
        m_buffer.remove(0, m_head);
        m_runningXor.remove(0, m_head);
        m_head = 0;
    }
    return out;
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
