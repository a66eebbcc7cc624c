#include "cli/content_run.h"

#include "board/content_edit.h"
#include "cli/exit_status.h"
#include "cli/send_text.h"
#include "protocol/dot_matrix.h"
#include "storage/content_location.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cstdio>

namespace cli {

namespace {

// A changes file larger than this is no content: the whole record is 548 characters.
constexpr qint64 kMaxJsonBytes = 1024 * 1024;

QString fieldNoun(storage::FieldRole role, int limit)
{
    switch (role) {
    case storage::FieldRole::RoomRate:
        return SendText::tr("a room rate has %1 cells").arg(limit);
    case storage::FieldRole::RateValue:
        return SendText::tr("an exchange rate has %1 cells").arg(limit);
    case storage::FieldRole::Temperature:
        return SendText::tr("a temperature has %1 cells").arg(limit);
    case storage::FieldRole::WeatherText:
        return SendText::tr("the weather text keeps %1 characters in the content file").arg(limit);
    default:
        break;
    }
    return SendText::tr("the names keep %1 characters in the content file").arg(limit);
}

QString errorWords(const board::EditError& error)
{
    const std::optional<storage::Field> field = storage::fieldForKey(error.key);
    const storage::FieldRole role = field ? storage::groupOf(*field).role : storage::FieldRole::Reserved;
    switch (error.why) {
    case board::EditProblem::UnknownKey:
        return SendText::tr("unknown key \"%1\": the keys are areas.rooms.address, areas.rooms.length (and the same "
                            "for rates and temperature), names.rooms, names.currencies, rooms.1 to rooms.10, "
                            "rates.1.a to rates.10.b, weather.text, weather.low and weather.high.")
            .arg(error.key);
    case board::EditProblem::WrongType:
        return SendText::tr("%1: give it as %2, not %3.")
            .arg(error.key,
                 role == storage::FieldRole::AreaAddress || role == storage::FieldRole::AreaLength
                     ? SendText::tr("a number")
                     : SendText::tr("a text in quotes"),
                 error.value.isEmpty() ? SendText::tr("this") : error.value);
    case board::EditProblem::NotANumber:
        return SendText::tr("%1: \"%2\" is not a whole number.").arg(error.key, error.value);
    case board::EditProblem::AreaOutOfRange:
        return SendText::tr("%1: %2 is not an area the board can have: give 0 to %3.")
            .arg(error.key, error.value)
            .arg(error.limit);
    case board::EditProblem::TooLong:
        return SendText::tr("%1: \"%2\" is %3 characters; %4.")
            .arg(error.key, error.value)
            .arg(error.length)
            .arg(fieldNoun(role, error.limit));
    case board::EditProblem::NotShown:
        return SendText::tr("%1: \"%2\" holds \"%3\", which the board cannot show there: it shows digits, one \".\" "
                            "and blanks%4.")
            .arg(error.key, error.value, error.character,
                 role == storage::FieldRole::Temperature ? SendText::tr(", and \"-\" in a temperature") : QString());
    case board::EditProblem::TwoPoints:
        return SendText::tr("%1: \"%2\" holds two points; a value takes one \".\", which lights the point of the "
                            "cell before it.")
            .arg(error.key, error.value);
    case board::EditProblem::OutsideGbk:
        return SendText::tr("%1: \"%2\" holds \"%3\", which the content file (GBK) cannot store.")
            .arg(error.key, error.value, error.character);
    case board::EditProblem::LineBreak:
        break;
    }
    return SendText::tr("%1: the value holds a line break or another control character, which the content file's "
                        "one line cannot hold.")
        .arg(error.key);
}

void sayErrors(const std::vector<board::EditError>& errors, QTextStream& err)
{
    for (const board::EditError& error : errors)
        err << "vorfjp-send: " << errorWords(error) << Qt::endl;
}

// The --json input as an object; the error words when it is none.
std::variant<QJsonObject, QString> readJson(const QString& name)
{
    QFile file;
    const bool opened = name == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(name), file.open(QIODevice::ReadOnly));
    if (!opened)
        return SendText::tr("--json %1 cannot be read: %2.").arg(name, file.errorString());
    const QByteArray bytes = file.read(kMaxJsonBytes + 1);
    if (bytes.size() > kMaxJsonBytes)
        return SendText::tr("--json %1 is larger than %2 bytes: it is not board content.").arg(name).arg(kMaxJsonBytes);
    QJsonParseError parsed {};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parsed);
    if (parsed.error != QJsonParseError::NoError)
        return SendText::tr("--json %1 is not JSON: %2 at byte %3.").arg(name, parsed.errorString()).arg(parsed.offset);
    if (!document.isObject())
        return SendText::tr("--json %1 holds no object: give one of the shape %2 prints.")
            .arg(name, QLatin1String(kShowWord));
    return document.object();
}

} // namespace

std::optional<QString> contentPathFor(const SendOptions& options, QTextStream& err)
{
    if (options.contentFile)
        return *options.contentFile;
    const storage::ContentFileResult inUse = storage::contentFileInUse(QCoreApplication::applicationDirPath());
    if (!inUse.path)
        err << "vorfjp-send: " << inUse.error << Qt::endl;
    return inUse.path;
}

int runShow(const SendOptions& options, QTextStream& out, QTextStream& err)
{
    const std::optional<QString> path = contentPathFor(options, err);
    if (!path)
        return kContentUnusable;
    const storage::DecodeResult loaded = storage::loadContentFile(*path);
    if (!loaded.content) {
        err << "vorfjp-send: " << SendText::tr("The content file %1 cannot be used:").arg(*path) << ' ' << loaded.error
            << Qt::endl;
        return kContentUnusable;
    }
    out << QString::fromUtf8(QJsonDocument(board::contentJson(*loaded.content)).toJson(QJsonDocument::Indented));
    out.flush();
    return kDone;
}

int runSet(const SendOptions& options, QTextStream& err)
{
    board::Edits edits = board::editsFromPairs(options.pairs);
    if (!edits.errors.empty()) {
        sayErrors(edits.errors, err);
        const bool unknown = std::any_of(edits.errors.begin(), edits.errors.end(), [](const board::EditError& error) {
            return error.why == board::EditProblem::UnknownKey;
        });
        return unknown ? kUsage : kContentUnusable;
    }
    if (options.jsonFile) {
        const std::variant<QJsonObject, QString> json = readJson(*options.jsonFile);
        if (const auto* why = std::get_if<QString>(&json)) {
            err << "vorfjp-send: " << *why << Qt::endl;
            return kContentUnusable;
        }
        board::Edits fromJson = board::editsFromJson(std::get<QJsonObject>(json));
        if (!fromJson.errors.empty()) {
            sayErrors(fromJson.errors, err);
            return kContentUnusable;
        }
        edits.edits.insert(edits.edits.end(), fromJson.edits.begin(), fromJson.edits.end());
    }

    const std::optional<QString> path = contentPathFor(options, err);
    if (!path)
        return kContentUnusable;
    // Read once unlocked for its own words when it cannot be used; the change reads it again.
    if (const storage::DecodeResult loaded = storage::loadContentFile(*path); !loaded.content) {
        err << "vorfjp-send: " << SendText::tr("The content file %1 cannot be used:").arg(*path) << ' ' << loaded.error
            << Qt::endl;
        return kContentUnusable;
    }
    const board::Written written = board::writeEdits(*path, edits.edits);
    if (written.unreadable) {
        err << "vorfjp-send: " << SendText::tr("The content file %1 cannot be used: it changed while it was read.").arg(*path)
            << Qt::endl;
        return kContentUnusable;
    }
    if (!written.errors.empty()) {
        sayErrors(written.errors, err);
        return kContentUnusable;
    }
    if (!written.content) {
        err << "vorfjp-send: " << written.error << Qt::endl;
        return kLineFailed;
    }
    for (const board::WeatherCut& cut : written.warnings)
        err << "vorfjp-send: "
            << SendText::tr("%1: \"%2\" is %3 cells wide; the board's %4 x %5 matrix shows the first %6: \"%7\".")
                   .arg(cut.key, cut.text)
                   .arg(cut.cells)
                   .arg(protocol::kDotColumns)
                   .arg(protocol::kDotRows)
                   .arg(cut.shownCells)
                   .arg(cut.shown)
            << Qt::endl;
    return kDone;
}

} // namespace cli
