#include "storage/board_content.h"

#include "protocol/exchange_rate.h"
#include "protocol/plain_decimal.h"
#include "protocol/room_rate.h"
#include "protocol/temperature.h"

#include <limits>

namespace storage {

namespace {

static_assert(kRecordLayout[7].width == protocol::kRoomRateWidth, "a room rate's characters are its frame share");
static_assert(kRecordLayout[10].width == protocol::kExchangeRateWidth && kRecordLayout[12].width == protocol::kExchangeRateWidth,
              "an exchange rate's characters are its frame share");
static_assert(kRecordLayout[15].width == protocol::kTemperatureWidth, "a temperature's characters are its frame share");

// The area captions take the characters of an area's address and length fields.
constexpr int kAreaTextWidth = 8;

// Chinese names of the number fields, for the message that says which one is broken.
const char* numberFieldName(Field field)
{
    static constexpr const char* kNames[] = {"房价区地址", "房价区长度", "外币区地址", "外币区长度", "温度区地址", "温度区长度"};
    return kNames[field.group];
}

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

// The characters that exist of a field that starts at the 0-based position `at`.
QString characters(QStringView record, int at, int width)
{
    if (at >= record.size())
        return {};
    return record.sliced(at, qMin<qsizetype>(width, record.size() - at)).toString();
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

QString numberError(Field field, const QString& text)
{
    const int at = positionOf(field) + 1;
    const QString where = QStringLiteral("第 %1–%2 个字符（%3）")
                              .arg(at)
                              .arg(at + groupOf(field).width - 1)
                              .arg(QString::fromUtf8(numberFieldName(field)));
    if (text.isEmpty())
        return where + QStringLiteral("应是一个整数，但内容记录在此之前就结束了。");
    return where + QStringLiteral("应是一个整数，实际是“%1”。").arg(text);
}

// For a const and a changeable content alike.
template <typename Content>
auto& areaTextOf(Content& content, Area area)
{
    switch (area) {
    case Area::Rooms:
        return content.fjAreaText;
    case Area::Rates:
        return content.wbAreaText;
    case Area::Temperature:
        break;
    }
    return content.wenDuAreaText;
}

std::vector<Field> allFields()
{
    std::vector<Field> fields;
    for (int group = 0; group < int(kRecordLayout.size()); ++group) {
        for (int index = 0; index < kRecordLayout[std::size_t(group)].count; ++index)
            fields.push_back({group, index});
    }
    return fields;
}

QString encodeNumber(qint16 value, int width)
{
    return (QString::number(value) + QStringLiteral("   ")).left(width);
}

} // namespace

const FieldGroup& groupOf(Field field)
{
    return kRecordLayout[std::size_t(field.group)];
}

int positionOf(Field field)
{
    int at = 0;
    for (int group = 0; group < field.group; ++group)
        at += kRecordLayout[std::size_t(group)].width * kRecordLayout[std::size_t(group)].count;
    return at + field.index * groupOf(field).width;
}

QString keyOf(Field field)
{
    const FieldGroup& group = groupOf(field);
    if (!group.key)
        return {};
    const QString key = QString::fromLatin1(group.key);
    return group.count > 1 ? key.arg(field.index + 1) : key;
}

const std::vector<Field>& contentFields()
{
    static const std::vector<Field> fields = [] {
        std::vector<Field> all = allFields();
        std::erase_if(all, [](Field field) { return groupOf(field).justify == Justify::Blank; });
        return all;
    }();
    return fields;
}

std::optional<Field> fieldForKey(QStringView key)
{
    for (const Field field : contentFields()) {
        if (keyOf(field) == key)
            return field;
    }
    return std::nullopt;
}

QString fieldText(const BoardContent& content, Field field)
{
    const FieldGroup& group = groupOf(field);
    if (group.number)
        return QString::number(content.*group.number);
    if (group.text)
        return content.*group.text;
    if (group.column)
        return (content.*group.column)[std::size_t(field.index)];
    return {};
}

QString unpadded(const QString& text, Justify justify)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    if (justify == Justify::Right) {
        while (from < to && text[from] == u' ')
            ++from;
    } else {
        while (to > from && text[to - 1] == u' ')
            --to;
    }
    return text.sliced(from, to - from);
}

void setFieldText(BoardContent& content, Field field, const QString& text)
{
    const FieldGroup& group = groupOf(field);
    if (group.text)
        content.*group.text = text;
    else if (group.column)
        (content.*group.column)[std::size_t(field.index)] = text;
}

void setAreaNumber(BoardContent& content, Field field, qint16 value)
{
    const FieldGroup& group = groupOf(field);
    if (!group.number)
        return;
    content.*group.number = value;
    const protocol::DisplayArea area = displayArea(content, group.area);
    areaTextOf(content, group.area) = encodeNumber(qint16(area.address), group.width)
                                      + encodeNumber(qint16(area.length), group.width);
}

std::vector<int> faceRowGroups(Area area, int length)
{
    switch (area) {
    case Area::Rooms:
        return {protocol::kRoomRateWidth};
    case Area::Rates:
        return {protocol::kExchangeRateWidth - 1, protocol::kExchangeRateWidth - 1};
    case Area::Temperature:
        break;
    }
    return {(length + 1) / 2, length / 2};
}

protocol::DisplayArea displayArea(const BoardContent& content, Area area)
{
    switch (area) {
    case Area::Rooms:
        return {content.fjAddress, content.fjLength};
    case Area::Rates:
        return {content.wbAddress, content.wbLength};
    case Area::Temperature:
        break;
    }
    return {content.wenDuAddress, content.wenDuLength};
}

QString areaKey(Area area)
{
    for (const FieldGroup& group : kRecordLayout) {
        if (group.role == FieldRole::AreaAddress && group.area == area)
            return QString::fromLatin1(group.key).section(u'.', 1, 1);
    }
    return {};
}

const QString& areaText(const BoardContent& content, Area area)
{
    return areaTextOf(content, area);
}

QString encodeField(const BoardContent& content, Field field)
{
    const FieldGroup& group = groupOf(field);
    switch (group.justify) {
    case Justify::Number:
        return encodeNumber(content.*group.number, group.width);
    case Justify::Left:
        return (fileSafe(fieldText(content, field)) + QString(group.width, u' ')).left(group.width);
    case Justify::Right:
        return (QString(group.width, u' ') + fileSafe(fieldText(content, field))).right(group.width);
    case Justify::Blank:
        break;
    }
    return QString(group.width, u' ');
}

QString encodeRecord(const BoardContent& content)
{
    static const std::vector<Field> fields = allFields();
    QString record;
    record.reserve(kRecordLength);
    for (const Field field : fields)
        record += encodeField(content, field);
    return record;
}

DecodeResult decodeRecord(QStringView record)
{
    BoardContent content;
    for (const Field field : contentFields()) {
        const FieldGroup& group = groupOf(field);
        const QString text = characters(record, positionOf(field), group.width);
        if (group.justify != Justify::Number) {
            setFieldText(content, field, text);
            continue;
        }
        const std::optional<qint16> value = parseNumber(text);
        if (!value)
            return {std::nullopt, numberError(field, text), {}};
        content.*group.number = *value;
        // The captions take the raw characters of the address and the length that follows it.
        if (group.role == FieldRole::AreaAddress)
            areaTextOf(content, group.area) = characters(record, positionOf(field), kAreaTextWidth);
    }
    return {content, {}, record.toString()};
}

} // namespace storage
