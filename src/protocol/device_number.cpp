#include "protocol/device_number.h"

#include <QStringView>

#include <algorithm>
#include <optional>

namespace protocol {

namespace {

// Whole parts are counted only up to here: anything larger is out of range
// anyway, and the count cannot overflow however many digits are typed.
constexpr int kBeyondRange = 1000;

struct RoundedNumber {
    bool negative = false;
    int magnitude = 0;   // at most kBeyondRange + 1
};

bool isAsciiDigit(QChar character)
{
    return character >= u'0' && character <= u'9';
}

int digitValue(QChar character)
{
    return character.unicode() - u'0';
}

std::optional<RoundedNumber> roundedDecimal(QStringView text)
{
    RoundedNumber number;
    qsizetype position = 0;
    bool anyDigit = false;

    if (position < text.size() && (text[position] == u'+' || text[position] == u'-')) {
        number.negative = text[position] == u'-';
        ++position;
    }

    int whole = 0;
    for (; position < text.size() && isAsciiDigit(text[position]); ++position) {
        whole = std::min(whole * 10 + digitValue(text[position]), kBeyondRange);
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

    // Exactly halfway goes to the even neighbour.
    const bool roundUp = firstFractionDigit > 5
                         || (firstFractionDigit == 5 && (laterFractionDigits || whole % 2 == 1));
    number.magnitude = whole + (roundUp ? 1 : 0);
    return number;
}

} // namespace

DeviceNumberInput readDeviceNumber(const QString& fieldText, quint8 previous)
{
    const std::optional<RoundedNumber> number = roundedDecimal(fieldText.trimmed());
    if (!number || (number->negative && number->magnitude != 0))
        return {previous, QString::number(previous)};
    if (number->magnitude > kMaxDeviceNumber)
        return {quint8(kMaxDeviceNumber), QString::number(kMaxDeviceNumber)};
    return {quint8(number->magnitude), fieldText};
}

} // namespace protocol
