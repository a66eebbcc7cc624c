#include "protocol/plain_decimal.h"

#include <algorithm>

namespace protocol {

namespace {

bool isAsciiDigit(QChar character)
{
    return character >= u'0' && character <= u'9';
}

int digitValue(QChar character)
{
    return character.unicode() - u'0';
}

} // namespace

std::optional<WholeNumber> parsePlainDecimal(QStringView text)
{
    WholeNumber number;
    qsizetype position = 0;
    bool anyDigit = false;

    if (position < text.size() && (text[position] == u'+' || text[position] == u'-')) {
        number.negative = text[position] == u'-';
        ++position;
    }

    // Counting stops beyond the saturation, so no number of digits can overflow it.
    int whole = 0;
    for (; position < text.size() && isAsciiDigit(text[position]); ++position) {
        whole = std::min(whole * 10 + digitValue(text[position]), kSaturatedMagnitude);
        anyDigit = true;
    }

    int firstFractionDigit = 0;
    bool laterFractionDigits = false;
    if (position < text.size() && text[position] == u'.') {
        ++position;
        for (bool first = true; position < text.size() && isAsciiDigit(text[position]); ++position) {
            if (first)
                firstFractionDigit = digitValue(text[position]);
            else if (text[position] != u'0')
                laterFractionDigits = true;
            first = false;
            anyDigit = true;
        }
    }

    if (!anyDigit || position != text.size())
        return std::nullopt;

    const bool roundUp = firstFractionDigit > 5
                         || (firstFractionDigit == 5 && (laterFractionDigits || whole % 2 == 1));
    number.magnitude = whole + (roundUp ? 1 : 0);
    return number;
}

} // namespace protocol
