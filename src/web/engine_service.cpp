#include "web/engine_service.h"

#include "board/content_edit.h"
#include "board/operator_text.h"
#include "board/overloaded.h"
#include "line/event_wait.h"
#include "protocol/board_model.h"
#include "protocol/connection_test.h"
#include "protocol/exchange_rate.h"
#include "protocol/room_rate.h"
#include "protocol/stream_decoder.h"
#include "storage/content_update.h"
#include "storage/display_cells.h"

#include <QJsonArray>

namespace web {

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

ServiceAnswer unusable(const storage::DecodeResult& loaded)
{
    return {503, failure(QStringLiteral("content-unusable"), loaded.error)};
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

QJsonArray rowGroups(storage::Area area, int length)
{
    QJsonArray groups;
    for (const int cells : storage::faceRowGroups(area, length))
        groups.append(cells);
    return groups;
}

} // namespace

int httpStatusOf(const board::Problem& problem)
{
    return std::visit(board::Overloaded {
                          [](const board::AreaUnusable&) { return 422; },
                          [](const board::PortUnavailable&) { return 503; },
                          [](const board::TestWaiting&) { return 503; },
                          [](const board::FontMissing&) { return 503; },
                          [](const board::SendFailed& failed) {
                              return failed.fault.why == line::WriteFailure::Busy ? 503 : 502;
                          },
                          [](const board::LineLost&) { return 502; },
                          [](const board::PortClosedInPause&) { return 502; },
                          [](const board::NoAnswer&) { return 504; },
                          [](const board::ClockInvalid&) { return 500; },
                          [](const board::SaveFailed&) { return 500; },
                          [](const board::Withdrawn&) { return 500; },
                      },
                      problem);
}

EngineService::EngineService(EngineServiceSetup setup, QObject* parent)
    : QObject(parent)
    , m_setup(std::move(setup))
    , m_port(m_setup.portChoice, m_setup.socketPath)
    , m_engine(m_port, [this] {
        board::EngineSetup engine;
        engine.clock = m_setup.clock;
        engine.draw = m_setup.draw;
        // Other requests go on being answered during the weather pause.
        engine.pause = [](std::chrono::milliseconds pause) {
            line::EventWait(QEventLoop::AllEvents).pause(QDeadlineTimer(pause));
        };
        engine.answerWait = board::kAnswerWait;
        // The file holds what was sent: the send took the content from it.
        engine.save = [](const storage::BoardContent& sent) { return storage::UpdateResult {sent, false, {}, {}}; };
        return engine;
    }())
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(kIdleClose);
    connect(&m_idle, &QTimer::timeout, this, [this] {
        if (!m_running)
            m_port.finish();
    });
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
    // The file's text is padded to its field; the board shows the text without the padding.
    const QString weatherText = storage::unpadded(shown.weatherText, storage::Justify::Left);
    std::vector<board::EditError> errors = edits.errors;
    errors.insert(errors.end(), checked.errors.begin(), checked.errors.end());

    board::FrameRecorder recorder;
    board::EngineSetup setup;
    setup.clock = m_setup.clock;
    setup.draw = m_setup.draw;
    setup.pause = [](std::chrono::milliseconds) {};
    setup.save = [](const storage::BoardContent& sent) { return storage::UpdateResult {sent, false, {}, {}}; };
    board::BoardEngine engine(recorder, std::move(setup));
    QJsonObject areas;
    QJsonObject weather {{QStringLiteral("text"), weatherText}};
    for (const board::Command command : {board::Command::Rooms, board::Command::Rates, board::Command::Weather}) {
        const board::Outcome outcome = engine.run(command, [&] { return board::Draft {shown, protocol::kEveryDevice}; });
        if (outcome.ok())
            continue;
        if (const auto* missing = std::get_if<board::FontMissing>(&outcome.problem()))
            weather[QStringLiteral("missing")] = missing->hint;
        else
            areas[storage::areaKey(board::areaOf(command))] =
                QJsonObject {{QStringLiteral("problem"), board::operatorMessage(outcome.problem())}};
    }

    // The frames as the board takes them: the virtual board's own model.
    protocol::BoardModel board(protocol::kEveryDevice);
    protocol::StreamDecoder decoder;
    for (const QByteArray& frame : recorder.frames()) {
        for (const protocol::DecodedItem& item : decoder.push(frame)) {
            if (const auto* decoded = std::get_if<protocol::DecodedFrame>(&item))
                board.apply(*decoded, 0);
        }
    }
    for (const storage::Area area : storage::kAreas) {
        const QString name = storage::areaKey(area);
        if (areas.contains(name))
            continue;
        const protocol::DisplayArea place = storage::displayArea(shown, area);
        areas[name] = QJsonObject {{QStringLiteral("address"), place.address},
                                                  {QStringLiteral("length"), place.length},
                                                  {QStringLiteral("cells"), codesOf(board.cells(place.address, place.length))},
                                                  {QStringLiteral("groups"), rowGroups(area, place.length)}};
    }
    if (!weather.contains(QStringLiteral("missing"))) {
        QJsonArray dots;
        const protocol::DotMatrix& matrix = board.dots();
        for (int row = 0; row < protocol::kDotRows; ++row)
            dots.append(QString::fromLatin1(
                QByteArray(reinterpret_cast<const char*>(matrix.data()) + row * protocol::kDotBytesPerRow,
                           protocol::kDotBytesPerRow)
                    .toHex()));
        weather[QStringLiteral("dots")] = dots;
    }
    if (const std::optional<board::WeatherCut> cut = board::weatherCut(weatherText)) {
        weather[QStringLiteral("cut")] = QJsonObject {{QStringLiteral("cells"), cut->cells},
                                                      {QStringLiteral("shownCells"), cut->shownCells},
                                                      {QStringLiteral("shown"), cut->shown},
                                                      {QStringLiteral("message"), board::weatherCutText(*cut)}};
    }
    // The names beside the rows, a line each, as the window's labels wrap them.
    const QJsonObject names {
        {QStringLiteral("rooms"), linesOf(storage::wrapToCells(shown.fjNames, storage::kRoomNameLineCells))},
        {QStringLiteral("currencies"), linesOf(storage::wrapToCells(shown.wbNames, storage::kCurrencyNameLineCells))}};
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
    m_queue.push_back({*known, device ? quint8(*device) : m_setup.deviceId, std::move(done)});
    m_idle.stop();
    // From the event loop, never inside the caller: a send waits in nested loops.
    QMetaObject::invokeMethod(this, &EngineService::runQueue, Qt::QueuedConnection);
}

void EngineService::runQueue()
{
    // A run started inside another's waits would mix its frames into that one's.
    if (m_running)
        return;
    m_running = true;
    while (!m_queue.empty()) {
        Request request = std::move(m_queue.front());
        m_queue.pop_front();
        const ServiceAnswer answer = run(request);
        record(request, answer);
        request.done(answer);
    }
    m_running = false;
    m_idle.start();
}

ServiceAnswer EngineService::run(const Request& request)
{
    storage::DecodeResult loaded;
    if (board::needsContent(request.command)) {
        loaded = load(m_setup.contentPath);
        if (!loaded.content)
            return unusable(loaded);
    }
    const board::Draft draft {loaded.content.value_or(storage::BoardContent {}), request.deviceId};
    const board::Outcome outcome = m_engine.run(request.command, [&draft] { return draft; });
    if (!outcome.ok())
        return {httpStatusOf(outcome.problem()),
                failure(QString::fromLatin1(board::problemKind(outcome.problem())), board::operatorMessage(outcome.problem()))};
    QJsonObject body {{QStringLiteral("ok"), true}};
    if (const std::optional<int> device = outcome.deviceNumber()) {
        body[QStringLiteral("device")] = *device;
        body[QStringLiteral("message")] = protocol::deviceFoundMessage(*device);
    }
    return {200, body};
}

void EngineService::record(const Request& request, const ServiceAnswer& answer)
{
    QJsonObject entry {{QStringLiteral("time"), m_setup.clock().toString(Qt::ISODate)},
                       {QStringLiteral("command"), board::commandName(request.command)},
                       {QStringLiteral("device"), request.deviceId},
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
            {QStringLiteral("throughWindow"), m_port.throughWindow()},
            {QStringLiteral("open"), m_port.isOpen()},
            {QStringLiteral("sending"), m_running},
            {QStringLiteral("queued"), int(m_queue.size())},
            {QStringLiteral("device"), m_setup.deviceId},
            {QStringLiteral("last"), m_last}};
}

} // namespace web
