#include "storage/board_content.h"

#include "protocol/exchange_rate.h"
#include "protocol/plain_decimal.h"
#include "protocol/room_rate.h"
#include "protocol/temperature.h"

#include <limits>

namespace storage {

namespace {

constexpr int kNumberWidth = 4;
constexpr int kNamesWidth = 100;
constexpr int kFjValueWidth = protocol::kRoomRateWidth;
constexpr int kWbValueWidth = protocol::kExchangeRateWidth;
constexpr int kWeatherWidth = 20;
constexpr int kTemperatureWidth = protocol::kTemperatureWidth;

// 1-based first character of each field.
constexpr int kFjNamesAt = 25;
constexpr int kFjValuesAt = 125;
constexpr int kFjReservedWidth = 60;
constexpr int kWbNamesAt = 225;
constexpr int kWbValuesAAt = 325;
constexpr int kWbValuesBAt = 425;
constexpr int kWbReservedWidth = 30;
constexpr int kWeatherAt = 525;
constexpr int kLowTemperatureAt = 545;
constexpr int kHighTemperatureAt = 547;
constexpr int kAreaTextWidth = 2 * kNumberWidth;

// The six number fields in record order, each 4 characters wide.
struct NumberField {
    int at;
    const char* name;
    qint16 BoardContent::*member;
};

constexpr std::array<NumberField, 6> kNumberFields {{
    {1, "房价区地址", &BoardContent::fjAddress},
    {5, "房价区长度", &BoardContent::fjLength},
    {9, "外币区地址", &BoardContent::wbAddress},
    {13, "外币区长度", &BoardContent::wbLength},
    {17, "温度区地址", &BoardContent::wenDuAddress},
    {21, "温度区长度", &BoardContent::wenDuLength},
}};

// One character of the text is one character of the file, and the file is one line.
QString fileSafe(const QString& text)
{
    QString safe;
    safe.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            safe += u'?';
            ++i;
        } else if (c.isSurrogate() || c == u'\r' || c == u'\n' || c == u'\0') {
            safe += u'?';
        } else {
            safe += c;
        }
    }
    return safe;
}

QString leftJustified(const QString& text, int width)
{
    return (fileSafe(text) + QString(width, u' ')).left(width);
}

QString rightJustified(const QString& text, int width)
{
    return (QString(width, u' ') + fileSafe(text)).right(width);
}

QString numberField(qint16 value)
{
    return (QString::number(value) + QStringLiteral("   ")).left(kNumberWidth);
}

// The characters that exist of a field that starts at the 1-based position `at`.
QString field(QStringView record, int at, int width)
{
    const qsizetype start = at - 1;
    if (start >= record.size())
        return {};
    return record.sliced(start, qMin<qsizetype>(width, record.size() - start)).toString();
}

static_assert(protocol::kSaturatedMagnitude > -int(std::numeric_limits<qint16>::min()),
              "every 16-bit value is told apart from a larger one");

// The plain decimal rule, with spaces around the number ignored (a tab is not a space here).
std::optional<qint16> parseNumber(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.sliced(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    const std::optional<protocol::WholeNumber> number = protocol::parsePlainDecimal(text);
    if (!number)
        return std::nullopt;
    const int value = number->negative ? -number->magnitude : number->magnitude;
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return qint16(value);
}

QString numberError(const NumberField& number, const QString& text)
{
    const QString where = QStringLiteral("第 %1–%2 个字符（%3）")
                              .arg(number.at)
                              .arg(number.at + kNumberWidth - 1)
                              .arg(QString::fromUtf8(number.name));
    if (text.isEmpty())
        return where + QStringLiteral("应是一个整数，但内容记录在此之前就结束了。");
    return where + QStringLiteral("应是一个整数，实际是“%1”。").arg(text);
}

template <std::size_t N>
void readValues(QStringView record, int at, int width, std::array<QString, N>& values)
{
    for (std::size_t i = 0; i < N; ++i)
        values[i] = field(record, at + int(i) * width, width);
}

} // namespace

QString encodeRecord(const BoardContent& content)
{
    QString record;
    record.reserve(kRecordLength);
    for (const NumberField& number : kNumberFields)
        record += numberField(content.*number.member);
    record += leftJustified(content.fjNames, kNamesWidth);
    for (const QString& value : content.fjValues)
        record += rightJustified(value, kFjValueWidth);
    record += QString(kFjReservedWidth, u' ');
    record += leftJustified(content.wbNames, kNamesWidth);
    for (const QString& value : content.wbValuesA)
        record += rightJustified(value, kWbValueWidth);
    record += QString(kWbReservedWidth, u' ');
    for (const QString& value : content.wbValuesB)
        record += rightJustified(value, kWbValueWidth);
    record += QString(kWbReservedWidth, u' ');
    record += leftJustified(content.weatherText, kWeatherWidth);
    record += leftJustified(content.lowTemperature, kTemperatureWidth);
    record += leftJustified(content.highTemperature, kTemperatureWidth);
    return record;
}

DecodeResult decodeRecord(QStringView record)
{
    BoardContent content;
    // The captions take the raw characters before any number is converted.
    content.fjAreaText = field(record, kNumberFields[0].at, kAreaTextWidth);
    content.wbAreaText = field(record, kNumberFields[2].at, kAreaTextWidth);
    content.wenDuAreaText = field(record, kNumberFields[4].at, kAreaTextWidth);

    for (const NumberField& number : kNumberFields) {
        const QString text = field(record, number.at, kNumberWidth);
        const std::optional<qint16> value = parseNumber(text);
        if (!value)
            return {std::nullopt, numberError(number, text)};
        content.*number.member = *value;
    }

    content.fjNames = field(record, kFjNamesAt, kNamesWidth);
    readValues(record, kFjValuesAt, kFjValueWidth, content.fjValues);
    content.wbNames = field(record, kWbNamesAt, kNamesWidth);
    readValues(record, kWbValuesAAt, kWbValueWidth, content.wbValuesA);
    readValues(record, kWbValuesBAt, kWbValueWidth, content.wbValuesB);
    content.weatherText = field(record, kWeatherAt, kWeatherWidth);
    content.lowTemperature = field(record, kLowTemperatureAt, kTemperatureWidth);
    content.highTemperature = field(record, kHighTemperatureAt, kTemperatureWidth);
    return {content, {}};
}

} // namespace storage
