#pragma once
// The board content as scripts and the HTTP API see it, and changes to it checked before anything
// is written. One shape for showing and for changing: `vorfjp-send show` prints it, `set --json`
// and PATCH /api/content take any part of it.
//
//   {"areas": {"rooms": {"address": 0, "length": 32}, "rates": {...}, "temperature": {...}},
//    "names": {"rooms": "豪华套房商务套房…", "currencies": "美元欧元…"},
//    "rooms": ["1234", …ten],
//    "rates": [{"a": "123.456", "b": "123.888"}, …ten],
//    "weather": {"text": "多云转晴", "low": "12", "high": "18"}}
//
// Texts carry none of the file's padding (a right-justified value loses its leading blanks, a
// left-justified text its trailing ones); the area numbers are numbers. Each value has a key,
// the path to it with rows counted from 1: "areas.rooms.address", "rooms.3", "rates.3.a",
// "weather.text" (storage::kRecordLayout names them).
#include "storage/board_content.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>

#include <optional>

#include <vector>

namespace board {

QJsonObject contentJson(const storage::BoardContent& content);
// One field's value as contentJson() gives it.
QJsonValue fieldJson(const storage::BoardContent& content, storage::Field field);
// A change of one field in contentJson()'s shape, every row before it null (left as it is):
//   changeJson(fieldForKey("rooms.3"), "688") == {"rooms": [null, null, "688"]}
QJsonObject changeJson(storage::Field field, const QJsonValue& value);

struct FieldEdit {
    storage::Field field;
    QJsonValue value; // a string for a text, a number for an area's address or length
};

enum class EditProblem {
    UnknownKey,    // no field has this key
    WrongType,     // a text where a number belongs, or the other way round
    NotANumber,    // an area number that is not a whole number
    AreaOutOfRange, // an area number outside 0..9999
    TooLong,       // more characters than the field has (cells of the board, characters of the file)
    NotShown,      // a character the board cannot show in this field
    TwoPoints,     // a second "."
    OutsideGbk,    // a character the content file (GBK) cannot store
    LineBreak,     // a line break or another control character, which would break the file's one line
};

struct EditError {
    QString key;
    EditProblem why;
    QString value;     // as given
    int length = 0;    // TooLong: characters given
    int limit = 0;     // TooLong: characters the field has; AreaOutOfRange: the highest allowed
    QString character; // NotShown, OutsideGbk, LineBreak: the first such character
};

// A weather text wider than the board's 64 x 16 matrix: the board shows only its start.
struct WeatherCut {
    QString key;
    QString text;
    int cells = 0;     // display cells of the text
    int shownCells = 0;
    QString shown;     // what the board shows of it
};

struct Edits {
    std::vector<FieldEdit> edits;
    std::vector<EditError> errors; // unknown keys and values of the wrong type
};

// "rooms.1=688", "weather.text=多云": a key, "=", the value as a text.
Edits editsFromPairs(const QStringList& pairs);
// An object of contentJson()'s shape holding any part of it; null leaves a value as it is.
Edits editsFromJson(const QJsonObject& object);

struct Applied {
    storage::BoardContent content;  // current with every valid change applied
    std::vector<EditError> errors;  // empty: content may be written
    std::vector<WeatherCut> warnings;
    int changed = 0;                // fields whose value the edits change
};

// Checks each edit whose value differs from the current one (an unchanged value is never
// refused, so the content of any file can be given back as it is) and applies it.
Applied applyEdits(const storage::BoardContent& current, const std::vector<FieldEdit>& edits);

// The edits written into the content file at path under the writers' lock, all or none of them.
struct Written {
    std::optional<storage::BoardContent> content; // the file afterwards; empty: nothing was written
    std::vector<EditError> errors;                // refused values: nothing was written
    std::vector<WeatherCut> warnings;
    bool unreadable = false;                      // the file could not be read under the lock
    QString error;                                // Chinese: why the write failed
};
Written writeEdits(const QString& path, const std::vector<FieldEdit>& edits);

// What the weather matrix shows of a text: nullopt when all of it fits.
std::optional<WeatherCut> weatherCut(const QString& text);

} // namespace board
