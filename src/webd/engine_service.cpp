#include "webd/engine_service.h"

#include "board/content_edit.h"
#include "board/operator_text.h"
#include "board/preview.h"
#include "protocol/connection_test.h"
#include "protocol/dot_matrix.h"
#include "storage/content_update.h"

#include <QJsonArray>

#include <utility>
#include <vector>

namespace webd {

namespace {

QJsonObject failure(const QString& problem, const QString& message)
{
    return {{QStringLiteral("ok"), false}, {QStringLiteral("problem"), problem}, {QStringLiteral("message"), message}};
}

QJsonObject errorsJson(const std::vector<board::EditError>& errors)
{
    QJsonObject byKey;
    for (const board::EditError& error : errors)
        byKey[error.key] = board::editErrorText(error);
    return byKey;
}

storage::DecodeResult load(const QString& path)
{
    return storage::loadContentFile(path);
}

// The file's own words alone: nothing was being sent.
ServiceAnswer unusable(const storage::DecodeResult& loaded)
{
    const board::Told told = board::tell(board::ContentUnusable {loaded.error, {}});
    return {told.httpStatus, failure(QString::fromLatin1(told.kind), loaded.error)};
}

QJsonArray codesOf(const QByteArray& cells)
{
    QJsonArray codes;
    for (const char code : cells)
        codes.append(int(quint8(code)));
    return codes;
}

QJsonArray linesOf(const QStringList& lines)
{
    QJsonArray array;
    for (const QString& line : lines)
        array.append(line);
    return array;
}

ServiceAnswer problemAnswer(const board::Problem& problem)
{
    const board::Told told = board::tell(problem);
    return {told.httpStatus, failure(QString::fromLatin1(told.kind), told.window)};
}

} // namespace

EngineService::EngineService(EngineServiceSetup setup, QObject* parent)
    : QObject(parent)
    , m_setup(std::move(setup))
    , m_port(new board::SharedPort(m_setup.portChoice, m_setup.socketPath))
    , m_session(std::unique_ptr<board::BoardPort>(m_port), [this] {
        board::SessionSetup session;
        session.contentPath = m_setup.contentPath;
        session.draw = m_setup.draw;
        session.clock = m_setup.clock;
        session.idleClose = kIdleClose;
        return session;
    }())
{
}

ServiceAnswer EngineService::content()
{
    const storage::DecodeResult loaded = load(m_setup.contentPath);
    if (!loaded.content)
        return unusable(loaded);
    return {200, board::contentJson(*loaded.content)};
}

ServiceAnswer EngineService::patchContent(const QJsonObject& changes)
{
    const board::Edits edits = board::editsFromJson(changes);
    if (!edits.errors.empty())
        return {422, {{QStringLiteral("errors"), errorsJson(edits.errors)}}};
    if (const storage::DecodeResult loaded = load(m_setup.contentPath); !loaded.content)
        return unusable(loaded);
    const board::Written written = board::writeEdits(m_setup.contentPath, edits.edits);
    if (!written.errors.empty())
        return {422, {{QStringLiteral("errors"), errorsJson(written.errors)}}};
    if (!written.content)
        return {500, failure(QStringLiteral("save-failed"),
                             written.unreadable ? QStringLiteral("内容文件在读取时被改动了，请再试一次。") : written.error)};
    return {200, board::contentJson(*written.content)};
}

ServiceAnswer EngineService::preview(const QJsonObject& draft)
{
    const storage::DecodeResult loaded = load(m_setup.contentPath);
    if (!loaded.content)
        return unusable(loaded);
    const board::Edits edits = board::editsFromJson(draft);
    const board::Applied checked = board::applyEdits(*loaded.content, edits.edits);
    // What the window would send with these texts: refused values too, as the board shows them.
    storage::BoardContent shown = checked.content;
    for (const board::FieldEdit& edit : edits.edits) {
        if (edit.value.isString() && !storage::groupOf(edit.field).number)
            storage::setFieldText(shown, edit.field, edit.value.toString());
    }
    std::vector<board::EditError> errors = edits.errors;
    errors.insert(errors.end(), checked.errors.begin(), checked.errors.end());

    // The page saves a group before it sends it, and the send takes the content from the file.
    const board::Preview board = board::preview(board::asStored(shown), m_setup.draw);
    QJsonObject areas;
    for (const board::AreaPreview& area : board.areas) {
        const QString name = storage::areaKey(area.area);
        if (area.problem) {
            areas[name] = QJsonObject {{QStringLiteral("problem"), board::operatorMessage(*area.problem)}};
            continue;
        }
        QJsonArray groups;
        for (const int cells : area.groups)
            groups.append(cells);
        areas[name] = QJsonObject {{QStringLiteral("address"), area.place.address},
                                   {QStringLiteral("length"), area.place.length},
                                   {QStringLiteral("cells"), codesOf(area.cells)},
                                   {QStringLiteral("groups"), groups}};
    }
    QJsonObject weather {{QStringLiteral("text"), board.weatherText}};
    if (board.dots) {
        QJsonArray dots;
        for (int row = 0; row < protocol::kDotRows; ++row)
            dots.append(QString::fromLatin1(
                QByteArray(reinterpret_cast<const char*>(board.dots->data()) + row * protocol::kDotBytesPerRow,
                           protocol::kDotBytesPerRow)
                    .toHex()));
        weather[QStringLiteral("dots")] = dots;
    } else {
        weather[QStringLiteral("missing")] = board.missing;
    }
    if (board.cut) {
        weather[QStringLiteral("cut")] = QJsonObject {{QStringLiteral("cells"), board.cut->cells},
                                                      {QStringLiteral("shownCells"), board.cut->shownCells},
                                                      {QStringLiteral("shown"), board.cut->shown},
                                                      {QStringLiteral("message"), board::weatherCutText(*board.cut)}};
    }
    const QJsonObject names {{QStringLiteral("rooms"), linesOf(board.roomNames)},
                             {QStringLiteral("currencies"), linesOf(board.currencyNames)}};
    return {200,
            {{QStringLiteral("areas"), areas}, {QStringLiteral("weather"), weather}, {QStringLiteral("names"), names},
             {QStringLiteral("errors"), errorsJson(errors)}}};
}

void EngineService::send(const QString& command, std::optional<int> device, std::function<void(ServiceAnswer)> done)
{
    const std::optional<board::Command> known = board::commandNamed(command);
    if (!known) {
        done({404, failure(QStringLiteral("not-found"), QStringLiteral("没有“%1”这个命令。").arg(command))});
        return;
    }
    const quint8 deviceId = device ? quint8(*device) : m_setup.deviceId;
    m_session.run({*known, deviceId, {}}, [this, command = *known, deviceId, done = std::move(done)](const board::Outcome& outcome) {
        ServiceAnswer answer {200, {{QStringLiteral("ok"), true}}};
        if (!outcome.ok())
            answer = problemAnswer(outcome.problem());
        else if (const std::optional<int> found = outcome.deviceNumber()) {
            answer.body[QStringLiteral("device")] = *found;
            answer.body[QStringLiteral("message")] = protocol::deviceFoundMessage(*found);
        }
        record(command, deviceId, answer);
        done(answer);
    });
}

void EngineService::record(board::Command command, quint8 deviceId, const ServiceAnswer& answer)
{
    QJsonObject entry {{QStringLiteral("time"), m_setup.clock().toString(Qt::ISODate)},
                       {QStringLiteral("command"), board::commandName(command)},
                       {QStringLiteral("device"), deviceId},
                       {QStringLiteral("ok"), answer.body.value(QStringLiteral("ok")).toBool()}};
    for (const char* key : {"problem", "message"}) {
        if (answer.body.contains(QLatin1String(key)))
            entry[QLatin1String(key)] = answer.body[QLatin1String(key)];
    }
    if (answer.body.contains(QStringLiteral("device")) && entry[QStringLiteral("ok")].toBool())
        entry[QStringLiteral("answer")] = answer.body[QStringLiteral("device")];
    m_last.prepend(entry);
    while (m_last.size() > kLastSends)
        m_last.removeLast();
}

QJsonObject EngineService::status()
{
    return {{QStringLiteral("now"), m_setup.clock().toString(Qt::ISODate)},
            {QStringLiteral("port"), m_setup.portChoice()},
            {QStringLiteral("throughWindow"), m_port->throughWindow()},
            {QStringLiteral("open"), m_port->isOpen()},
            {QStringLiteral("sending"), m_session.sending()},
            {QStringLiteral("queued"), m_session.queued()},
            {QStringLiteral("device"), m_setup.deviceId},
            {QStringLiteral("last"), m_last}};
}

} // namespace webd
