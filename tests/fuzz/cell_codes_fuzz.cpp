// Cell conversion of arbitrary operator text: always exactly n codes, every one
// a digit pattern, a dark cell, a minus sign or one of these with its point lit.
#include "protocol/segment.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {

bool isKnownCode(quint8 code)
{
    return std::any_of(protocol::SegmentCodes.begin(), protocol::SegmentCodes.end(), [code](quint8 known) {
        return known != 0x7F && (code == known || code == (known & 0x7F));
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const int cellCount = data[0] | ((data[1] & 0x03) << 8);
    const auto minus = (data[1] & 0x80) ? protocol::MinusSign::ShowsMinus : protocol::MinusSign::ShowsZero;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));

    const QByteArray cells = protocol::toCellCodes(text, cellCount, minus);
    if (cells.size() != cellCount)
        std::abort();
    for (char cell : cells) {
        if (!isKnownCode(quint8(cell)))
            std::abort();
        // Only the temperature rule may draw a minus sign.
        if (minus == protocol::MinusSign::ShowsZero && (quint8(cell) | 0x80) == 0xBF)
            std::abort();
    }
    return 0;
}
