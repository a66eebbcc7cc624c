#include "cli/content_run.h"

#include "board/content_edit.h"
#include "board/operator_text.h"
#include "board/send_text.h"
#include "cli/exit_status.h"
#include "storage/content_location.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cstdio>

namespace cli {

using board::SendText;

namespace {

// A changes file larger than this is no content: the whole record is 548 characters.
constexpr qint64 kMaxJsonBytes = 1024 * 1024;

void sayErrors(const std::vector<board::EditError>& errors, QTextStream& err)
{
    for (const board::EditError& error : errors)
        err << "vorfjp-send: " << board::editErrorWords(error) << Qt::endl;
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
        err << "vorfjp-send: " << board::weatherCutWords(cut) << Qt::endl;
    return kDone;
}

} // namespace cli
