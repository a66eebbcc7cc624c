#include "board/content_edit.h"

#include "protocol/display_data.h"
#include "protocol/dot_matrix.h"
#include "storage/display_cells.h"
#include "storage/content_update.h"
#include "storage/gbk.h"

#include <QJsonArray>

namespace board {

namespace {

using storage::Field;
using storage::FieldRole;

// Where a key's value sits in the JSON shape: "rates.3.a" -> rates, row 2, a.
QStringList pathOf(const QString& key)
{
    return key.split(u'.');
}

bool isRow(const QString& part)
{
    bool number = false;
    part.toInt(&number);
    return number;
}

QJsonValue put(QJsonValue node, const QStringList& path, int at, const QJsonValue& value)
{
    if (at == path.size())
        return value;
    if (isRow(path[at])) {
        QJsonArray array = node.toArray();
        const int row = path[at].toInt() - 1;
        while (array.size() <= row)
            array.append(QJsonValue());
        array[row] = put(array[row], path, at + 1, value);
        return array;
    }
    QJsonObject object = node.toObject();
    object[path[at]] = put(object[path[at]], path, at + 1, value);
    return object;
}

// Every leaf of a JSON value with its dotted key; rows counted from 1.
void flatten(const QJsonValue& value, const QString& key, std::vector<std::pair<QString, QJsonValue>>& leaves)
{
    const auto join = [&key](const QString& part) { return key.isEmpty() ? part : key + u'.' + part; };
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            flatten(it.value(), join(it.key()), leaves);
    } else if (value.isArray()) {
        const QJsonArray array = value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i)
            flatten(array[i], join(QString::number(i + 1)), leaves);
    } else {
        leaves.emplace_back(key, value);
    }
}

bool isArea(FieldRole role)
{
    return role == FieldRole::AreaAddress || role == FieldRole::AreaLength;
}

void addEdit(Edits& edits, const QString& key, const QJsonValue& value)
{
    const std::optional<Field> field = storage::fieldForKey(key);
    // null leaves a value as it is, and so does a null row of the exchange rates.
    if (value.isNull() && (field || storage::fieldForKey(key + QStringLiteral(".a"))))
        return;
    if (!field) {
        edits.errors.push_back({key, EditProblem::UnknownKey, value.toVariant().toString(), 0, 0, {}});
        return;
    }
    const bool area = isArea(storage::groupOf(*field).role);
    if (area ? !value.isDouble() && !value.isString() : !value.isString()) {
        edits.errors.push_back({key, EditProblem::WrongType, value.toVariant().toString(), 0, 0, {}});
        return;
    }
    edits.edits.push_back({*field, value});
}

// The characters a field may hold on the board, besides digits and one point: blanks always,
// the minus sign in temperatures.
bool shownOnTheBoard(QChar c, FieldRole role)
{
    if (c >= u'0' && c <= u'9')
        return true;
    return c == u' ' || c == u'.' || (c == u'-' && role == FieldRole::Temperature);
}

std::optional<EditError> checkText(const QString& key, FieldRole role, int width, const QString& value)
{
    for (const QChar c : value) {
        if (c.category() == QChar::Other_Control)
            return EditError {key, EditProblem::LineBreak, value, 0, 0, QString(c)};
    }
    if (const std::optional<QString> outside = storage::firstCharacterOutsideGbk(value))
        return EditError {key, EditProblem::OutsideGbk, value, 0, 0, *outside};
    if (value.size() > width)
        return EditError {key, EditProblem::TooLong, value, int(value.size()), width, {}};
    const bool onSegments = role == FieldRole::RoomRate || role == FieldRole::RateValue || role == FieldRole::Temperature;
    if (!onSegments)
        return std::nullopt;
    for (const QChar c : value) {
        if (!shownOnTheBoard(c, role))
            return EditError {key, EditProblem::NotShown, value, 0, 0, QString(c)};
    }
    if (value.count(u'.') > 1)
        return EditError {key, EditProblem::TwoPoints, value, 0, 0, QStringLiteral(".")};
    return std::nullopt;
}

std::variant<qint16, EditError> checkArea(const QString& key, const QJsonValue& value)
{
    const QString given = value.isString() ? value.toString() : QString::number(value.toDouble());
    bool whole = false;
    const qlonglong number = value.isString() ? value.toString().trimmed().toLongLong(&whole)
                                              : qlonglong(value.toDouble());
    if (value.isDouble())
        whole = value.toDouble() == double(number);
    if (!whole)
        return EditError {key, EditProblem::NotANumber, given, 0, 0, {}};
    if (number < 0 || number > protocol::kMaxAreaField)
        return EditError {key, EditProblem::AreaOutOfRange, given, 0, protocol::kMaxAreaField, {}};
    return qint16(number);
}

} // namespace

QJsonValue fieldJson(const storage::BoardContent& content, Field field)
{
    const storage::FieldGroup& group = storage::groupOf(field);
    if (group.number)
        return content.*group.number;
    return storage::unpadded(storage::fieldText(content, field), group.justify);
}

QJsonObject contentJson(const storage::BoardContent& content)
{
    QJsonValue root = QJsonObject();
    for (const Field field : storage::contentFields())
        root = put(root, pathOf(storage::keyOf(field)), 0, fieldJson(content, field));
    return root.toObject();
}

QJsonObject changeJson(Field field, const QJsonValue& value)
{
    return put(QJsonObject(), pathOf(storage::keyOf(field)), 0, value).toObject();
}

Edits editsFromPairs(const QStringList& pairs)
{
    Edits edits;
    for (const QString& pair : pairs) {
        const qsizetype equals = pair.indexOf(u'=');
        addEdit(edits, pair.left(equals), QJsonValue(pair.mid(equals + 1)));
    }
    return edits;
}

Edits editsFromJson(const QJsonObject& object)
{
    std::vector<std::pair<QString, QJsonValue>> leaves;
    flatten(object, QString(), leaves);
    Edits edits;
    for (const auto& [key, value] : leaves)
        addEdit(edits, key, value);
    return edits;
}

std::optional<WeatherCut> weatherCut(const QString& text)
{
    const int cells = storage::displayCells(text);
    if (cells <= protocol::kWeatherTextCells)
        return std::nullopt;
    const QString shown = storage::cutToCells(text, protocol::kWeatherTextCells);
    return WeatherCut {{}, text, cells, storage::displayCells(shown), shown};
}

Applied applyEdits(const storage::BoardContent& current, const std::vector<FieldEdit>& edits)
{
    Applied applied {current, {}, {}, 0};
    for (const FieldEdit& edit : edits) {
        const storage::FieldGroup& group = storage::groupOf(edit.field);
        const QString key = storage::keyOf(edit.field);
        if (isArea(group.role)) {
            const std::variant<qint16, EditError> number = checkArea(key, edit.value);
            if (const auto* error = std::get_if<EditError>(&number)) {
                applied.errors.push_back(*error);
                continue;
            }
            if (std::get<qint16>(number) == current.*group.number)
                continue;
            storage::setAreaNumber(applied.content, edit.field, std::get<qint16>(number));
            ++applied.changed;
            continue;
        }
        const QString value = edit.value.toString();
        if (value == fieldJson(current, edit.field).toString())
            continue;
        if (const std::optional<EditError> error = checkText(key, group.role, group.width, value)) {
            applied.errors.push_back(*error);
            continue;
        }
        storage::setFieldText(applied.content, edit.field, value);
        ++applied.changed;
        if (group.role == FieldRole::WeatherText) {
            if (std::optional<WeatherCut> cut = weatherCut(value)) {
                cut->key = key;
                applied.warnings.push_back(*cut);
            }
        }
    }
    return applied;
}

Written writeEdits(const QString& path, const std::vector<FieldEdit>& edits)
{
    Written written;
    const storage::UpdateResult updated =
        storage::updateContentFile(path, [&](const storage::BoardContent* current) -> std::optional<storage::BoardContent> {
            if (!current) {
                written.unreadable = true;
                return std::nullopt;
            }
            Applied applied = applyEdits(*current, edits);
            written.errors = std::move(applied.errors);
            written.warnings = std::move(applied.warnings);
            if (!written.errors.empty())
                return std::nullopt;
            return applied.content;
        });
    if (!written.unreadable && written.errors.empty()) {
        written.content = updated.content;
        written.error = updated.error;
    }
    return written;
}

} // namespace board
