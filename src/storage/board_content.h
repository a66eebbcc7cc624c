#pragma once

#include "protocol/display_data.h"

#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

// The content record: one line of 548 characters in fixed positions that keeps the
// window's content between runs together with the addresses and lengths of the board's
// three display areas. Positions and widths count characters (UTF-16 units of
// Basic-Multilingual-Plane text), never bytes.
//
//   1-24    six number fields of 4: FjAddress FjLength WbAddress WbLength WenDuAddress WenDuLength
//   25-124  room-type names, left-justified 100
//   125-164 ten room rates, right-justified 4 each
//   165-224 reserved, spaces
//   225-324 currency names, left-justified 100
//   325-394 ten left exchange-rate values, right-justified 7 each
//   395-424 reserved, spaces
//   425-494 ten right exchange-rate values, right-justified 7 each
//   495-524 reserved, spaces
//   525-544 weather text, left-justified 20
//   545-546 low temperature, left-justified 2
//   547-548 high temperature, left-justified 2
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

constexpr int kRecordLength = 548;

// The name captions are shown wrapped into lines of this many display cells, one
// name a line beside its row: four Chinese characters of a room type, two of a
// currency.
inline constexpr int kRoomNameLineCells = 8;
inline constexpr int kCurrencyNameLineCells = 4;

// Builds the record, always exactly kRecordLength characters.
//  - number field: decimal text followed by three spaces, cut to 4 (every value that a
//    4-character field can hold, -999 to 9999, comes back unchanged);
//  - left-justified text field of width n: the text padded with spaces, cut to its first n;
//  - right-justified value field of width n: spaces then the text, keeping its last n.
// The area texts are not written: they are derived from the numbers on reading.
// So that the file stays one line with fixed positions, a character outside the Basic
// Multilingual Plane counts as one character and is written as "?" (GBK has none), and
// CR, LF and NUL in a text are written as "?".
QString encodeRecord(const BoardContent& content);

struct DecodeResult {
    std::optional<BoardContent> content;
    QString error; // Chinese, names the field and its text; empty on success
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
