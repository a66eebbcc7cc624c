#pragma once

#include "protocol/display_data.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <optional>
#include <vector>

// The content record: one line of 548 characters in fixed positions that keeps the
// window's content between runs together with the addresses and lengths of the board's
// three display areas. Positions and widths count characters (UTF-16 units of
// Basic-Multilingual-Plane text), never bytes.
//
// kRecordLayout below is the one description of the record: encoding, decoding, the
// positions, the names scripts use for the fields ("rooms.3") and what each field holds
// all come from it.
namespace storage {

struct BoardContent {
    qint16 fjAddress = 0, fjLength = 0, wbAddress = 0, wbLength = 0, wenDuAddress = 0, wenDuLength = 0;
    // Characters 1-8, 9-16 and 17-24 exactly as stored, spaces included: the frame
    // captions show the address and length text of their area as it stands in the file.
    QString fjAreaText, wbAreaText, wenDuAreaText;
    QString fjNames;
    protocol::ValueColumn fjValues;
    QString wbNames;
    protocol::ValueColumn wbValuesA, wbValuesB;
    QString weatherText, lowTemperature, highTemperature;

    friend bool operator==(const BoardContent&, const BoardContent&) = default;
};

// How a field is kept in its characters.
//  - Number: the decimal text of a 16-bit value followed by three spaces, cut to 4 (every
//    value that a 4-character field can hold, -999 to 9999, comes back unchanged);
//  - Left: the text padded with spaces, cut to its first `width` characters;
//  - Right: spaces then the text, keeping its last `width` characters;
//  - Blank: reserved, always written as spaces and ignored on reading.
enum class Justify { Number, Left, Right, Blank };

// What a field means, for those who check or show a value.
enum class FieldRole {
    AreaAddress,
    AreaLength,
    RoomNames,
    RoomRate,
    CurrencyNames,
    RateValue,
    WeatherText,
    Temperature,
    Reserved,
};

// The board's three display areas, in record order.
enum class Area { Rooms, Rates, Temperature };
inline constexpr Area kAreas[] = {Area::Rooms, Area::Rates, Area::Temperature};

// A run of `count` fields of the same kind. The key names a field for scripts and the HTTP
// API: dotted, with "%1" standing for the row counted from 1 in runs of more than one.
struct FieldGroup {
    FieldRole role;
    Justify justify;
    int width;
    int count;
    const char* key;
    qint16 BoardContent::*number = nullptr;
    QString BoardContent::*text = nullptr;
    protocol::ValueColumn BoardContent::*column = nullptr;
    Area area = Area::Rooms; // AreaAddress and AreaLength only
};

inline constexpr std::array<FieldGroup, 17> kRecordLayout {{
    {FieldRole::AreaAddress, Justify::Number, 4, 1, "areas.rooms.address", &BoardContent::fjAddress, {}, {}, Area::Rooms},
    {FieldRole::AreaLength, Justify::Number, 4, 1, "areas.rooms.length", &BoardContent::fjLength, {}, {}, Area::Rooms},
    {FieldRole::AreaAddress, Justify::Number, 4, 1, "areas.rates.address", &BoardContent::wbAddress, {}, {}, Area::Rates},
    {FieldRole::AreaLength, Justify::Number, 4, 1, "areas.rates.length", &BoardContent::wbLength, {}, {}, Area::Rates},
    {FieldRole::AreaAddress, Justify::Number, 4, 1, "areas.temperature.address", &BoardContent::wenDuAddress, {}, {},
     Area::Temperature},
    {FieldRole::AreaLength, Justify::Number, 4, 1, "areas.temperature.length", &BoardContent::wenDuLength, {}, {},
     Area::Temperature},
    {FieldRole::RoomNames, Justify::Left, 100, 1, "names.rooms", {}, &BoardContent::fjNames},
    {FieldRole::RoomRate, Justify::Right, 4, protocol::kValueRows, "rooms.%1", {}, {}, &BoardContent::fjValues},
    {FieldRole::Reserved, Justify::Blank, 60, 1, nullptr},
    {FieldRole::CurrencyNames, Justify::Left, 100, 1, "names.currencies", {}, &BoardContent::wbNames},
    {FieldRole::RateValue, Justify::Right, 7, protocol::kValueRows, "rates.%1.a", {}, {}, &BoardContent::wbValuesA},
    {FieldRole::Reserved, Justify::Blank, 30, 1, nullptr},
    {FieldRole::RateValue, Justify::Right, 7, protocol::kValueRows, "rates.%1.b", {}, {}, &BoardContent::wbValuesB},
    {FieldRole::Reserved, Justify::Blank, 30, 1, nullptr},
    {FieldRole::WeatherText, Justify::Left, 20, 1, "weather.text", {}, &BoardContent::weatherText},
    {FieldRole::Temperature, Justify::Left, 2, 1, "weather.low", {}, &BoardContent::lowTemperature},
    {FieldRole::Temperature, Justify::Left, 2, 1, "weather.high", {}, &BoardContent::highTemperature},
}};

constexpr int kRecordLength = 548;

constexpr int layoutLength()
{
    int length = 0;
    for (const FieldGroup& group : kRecordLayout)
        length += group.width * group.count;
    return length;
}
static_assert(layoutLength() == kRecordLength, "the layout covers the record exactly");

// One field: element `index` of group `group` of kRecordLayout.
struct Field {
    int group = 0;
    int index = 0;
    friend bool operator==(const Field&, const Field&) = default;
};

const FieldGroup& groupOf(Field field);
// 0-based first character of the field in the record.
int positionOf(Field field);
// "rooms.3" for the third room rate; empty for a reserved field.
QString keyOf(Field field);
// Every field that holds content (no reserved ones), in record order.
const std::vector<Field>& contentFields();
std::optional<Field> fieldForKey(QStringView key);

// The field's value as text: a number in its decimal form, a text as it stands.
QString fieldText(const BoardContent& content, Field field);
// A text of a field without the padding its justification adds: the leading blanks of a
// right-justified value, the trailing ones of a left-justified text. "  98" -> "98".
QString unpadded(const QString& text, Justify justify);
// Sets a text field. For a number field use setAreaNumber().
void setFieldText(BoardContent& content, Field field, const QString& text);
// Sets an area's address or length and the stored characters its caption shows.
void setAreaNumber(BoardContent& content, Field field, qint16 value);

protocol::DisplayArea displayArea(const BoardContent& content, Area area);
// The area's name in the keys: "rooms" for "areas.rooms.address".
QString areaKey(Area area);
// The 8 characters of the area's address and length as the record holds them.
const QString& areaText(const BoardContent& content, Area area);

// How the board's face groups one row of an area's digit cells, left to right: one room rate of
// four cells; two exchange values of six cells each (the point among a value's seven characters
// takes no cell); the temperature area, whatever its length, halved into the low and the high.
//   faceRowGroups(Area::Rooms, 32) == {4}; (Area::Rates, 72) == {6, 6}; (Area::Temperature, 4) == {2, 2}
std::vector<int> faceRowGroups(Area area, int length);

// The name captions are shown wrapped into lines of this many display cells, one
// name a line beside its row: four Chinese characters of a room type, two of a
// currency.
inline constexpr int kRoomNameLineCells = 8;
inline constexpr int kCurrencyNameLineCells = 4;

// Builds the record, always exactly kRecordLength characters, each field as its Justify
// says. The area texts are not written: they are derived from the numbers on reading.
// So that the file stays one line with fixed positions, a character outside the Basic
// Multilingual Plane counts as one character and is written as "?" (GBK has none), and
// CR, LF and NUL in a text are written as "?".
QString encodeRecord(const BoardContent& content);

// The characters of one field as encodeRecord() writes them.
QString encodeField(const BoardContent& content, Field field);

struct DecodeResult {
    std::optional<BoardContent> content;
    QString error;  // Chinese, names the field and its text; empty on success
    QString record; // the record as read, when it decoded
};

// Reads a record (without its line end). Characters beyond the end of a short record are
// simply missing: the fields there come back short or empty. Characters beyond 548 are
// ignored. Text fields come back as stored, padding included.
//
// A number field is its 4 characters with the spaces around the number ignored, in plain
// decimal notation: an optional sign, digits, optionally a decimal point and a fraction,
// which is rounded to the nearest integer with halves to even. Anything else, including
// four spaces or nothing, fails the whole record:
//   loads: "40  " -> 40, " 40 " -> 40, "+5" -> 5, "-0" -> 0, "4.5" -> 4, "5.5" -> 6, "-1.5" -> -2,
//          "7." -> 7, ".6" -> 1
//   fails: "1e3" and "0x10" (an exponent or a hex prefix is not plain decimal: these are
//          board addresses, and a hand edit that produced one is more likely a typo than
//          an intended value), "4 0", "- 5", "    ", "", "-", ".", a tab, "１２" (full-width digits)
DecodeResult decodeRecord(QStringView record);

} // namespace storage
