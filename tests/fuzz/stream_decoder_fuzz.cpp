// The virtual board's stream decoder on arbitrary bytes in arbitrary splits:
// every byte comes out exactly once, in a frame or a rejected run, and every
// frame it reports passes the frame checks.
#include "protocol/frame.h"
#include "protocol/stream_decoder.h"

#include <cstdint>
#include <cstdlib>

namespace {

qsizetype account(const std::vector<protocol::DecodedItem>& items, QByteArray& seen)
{
    qsizetype count = 0;
    for (const protocol::DecodedItem& item : items) {
        if (const auto* frame = std::get_if<protocol::DecodedFrame>(&item)) {
            const QByteArray& b = frame->bytes;
            if (b.size() < 9 || quint8(b.front()) != protocol::kStx || quint8(b.back()) != protocol::kEtx
                || (quint8(b[1]) << 8 | quint8(b[2])) != b.size()
                || protocol::checkByte(QByteArrayView(b).sliced(1, b.size() - 3)) != quint8(b[b.size() - 2]))
                std::abort();
            seen += b;
            count += b.size();
        } else {
            const auto& run = std::get<protocol::RejectedRun>(item);
            if (run.bytes.isEmpty() || run.reason.isEmpty())
                std::abort();
            seen += run.bytes;
            count += run.bytes.size();
        }
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the split: how many bytes each push takes.
    const qsizetype chunk = 1 + data[0] % 64;
    const QByteArrayView stream(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    protocol::StreamDecoder decoder;
    QByteArray seen;
    for (qsizetype at = 0; at < stream.size(); at += chunk)
        account(decoder.push(stream.sliced(at, std::min(chunk, stream.size() - at))), seen);
    account(decoder.flush(), seen);
    if (decoder.pendingBytes() != 0 || seen != stream)
        std::abort();
    return 0;
}
