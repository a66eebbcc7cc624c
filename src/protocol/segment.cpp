#include "protocol/segment.h"

namespace protocol {

namespace {

// The bit that the point mask clears.
constexpr quint8 kPointBit = quint8(~SegmentCodes[kPointMask]);

quint8 cellFor(QChar character, MinusSign minus)
{
    if (character == u'-' && minus == MinusSign::ShowsMinus)
        return SegmentCodes[kMinusCell];
    if (character == u' ')
        return SegmentCodes[kDarkCell];
    // ASCII digits only: other scripts' digits show as 0 like any other character.
    if (character >= u'0' && character <= u'9')
        return SegmentCodes[character.unicode() - u'0'];
    return SegmentCodes[0];
}

} // namespace

QByteArray toCellCodes(QStringView text, int cellCount, MinusSign minus)
{
    QByteArray cells;
    if (cellCount <= 0)
        return cells;
    cells.reserve(cellCount);

    for (qsizetype position = 0; cells.size() < cellCount; ++position) {
        if (position >= text.size()) {
            cells.append(char(SegmentCodes[0]));
            continue;
        }
        const QChar character = text[position];
        if (character == u'.') {
            if (!cells.isEmpty())
                cells.back() = char(quint8(cells.back()) & SegmentCodes[kPointMask]);
            continue;
        }
        cells.append(char(cellFor(character, minus)));
    }
    return cells;
}

QChar cellGlyph(quint8 code)
{
    const quint8 pattern = code | kPointBit;
    for (int digit = 0; digit <= 9; ++digit) {
        if (pattern == SegmentCodes[digit])
            return QChar(u'0' + digit);
    }
    if (pattern == SegmentCodes[kDarkCell])
        return u' ';
    if (pattern == SegmentCodes[kMinusCell])
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

} // namespace protocol
