#include "cell_text.h"

#include "protocol/segment.h"

namespace boardsim {

namespace {

using protocol::SegmentCodes;

// The bit that the point mask clears.
constexpr quint8 kPointBit = quint8(~SegmentCodes[protocol::kPointMask]);

} // namespace

QChar cellGlyph(quint8 code)
{
    const quint8 pattern = code | kPointBit;
    for (int digit = 0; digit <= 9; ++digit) {
        if (pattern == SegmentCodes[digit])
            return QChar(u'0' + digit);
    }
    if (pattern == SegmentCodes[protocol::kDarkCell])
        return u' ';
    if (pattern == SegmentCodes[protocol::kMinusCell])
        return u'-';
    return u'?';
}

bool pointLit(quint8 code)
{
    return (code & kPointBit) == 0;
}

QString cellText(QByteArrayView cells)
{
    QString text;
    for (char c : cells) {
        text += cellGlyph(quint8(c));
        if (pointLit(quint8(c)))
            text += u'.';
    }
    return text;
}

} // namespace boardsim
