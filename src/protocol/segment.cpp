#include "protocol/segment.h"

namespace protocol {

namespace {

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

} // namespace protocol
