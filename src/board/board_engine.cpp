#include "board/board_engine.h"

#include "protocol/clock.h"
#include "protocol/connection_test.h"
#include "protocol/exchange_rate.h"
#include "protocol/room_rate.h"
#include "protocol/temperature.h"
#include "protocol/weather_dots.h"

#include <QScopedValueRollback>

namespace board {

std::optional<AreaUnusable> checkArea(const storage::BoardContent& content, storage::Area area)
{
    const protocol::DisplayArea value = storage::displayArea(content, area);
    const protocol::AreaProblem why = protocol::checkArea(value);
    if (why == protocol::AreaProblem::None)
        return std::nullopt;
    return AreaUnusable {area, value, why, storage::areaText(content, area)};
}

storage::Area areaOf(Command command)
{
    switch (command) {
    case Command::Rates:
        return storage::Area::Rates;
    case Command::Weather:
        return storage::Area::Temperature;
    case Command::Rooms:
    case Command::Test:
    case Command::Time:
        break;
    }
    return storage::Area::Rooms;
}

BoardEngine::BoardEngine(BoardPort& port, EngineSetup setup) : m_port(port), m_setup(std::move(setup)) {}

Outcome BoardEngine::run(Command command, const DraftSource& draft)
{
    const QScopedValueRollback running(m_running, m_running + 1);
    return runCommand(command, draft);
}

Outcome BoardEngine::runCommand(Command command, const DraftSource& source)
{
    const std::optional<Draft> draft = source();
    if (!draft)
        return Withdrawn {};
    switch (command) {
    case Command::Test: {
        if (Outcome opened = m_port.open(); !opened.ok())
            return opened;
        return m_port.test(protocol::connectionTestFrame(draft->deviceId), m_setup.answerWait);
    }
    case Command::Time: {
        const std::optional<QByteArray> frame = protocol::clockFrame(draft->deviceId, m_setup.clock());
        if (!frame)
            return ClockInvalid {};
        if (Outcome opened = m_port.open(); !opened.ok())
            return opened;
        return m_port.send(*frame);
    }
    case Command::Rooms:
    case Command::Rates:
    case Command::Weather:
        break;
    }
    // An area the board cannot have is a fault of the content file: no use opening the port.
    if (const std::optional<AreaUnusable> unusable = checkArea(draft->content, areaOf(command)))
        return *unusable;
    if (Outcome opened = m_port.open(); !opened.ok())
        return opened;
    if (command == Command::Weather)
        return sendWeather(source, *draft);
    return sendContent(command, *draft);
}

Outcome BoardEngine::sendContent(Command command, const Draft& draft)
{
    const storage::BoardContent& content = draft.content;
    const protocol::DisplayArea area = storage::displayArea(content, areaOf(command));
    // The area was checked, so the frame can be built.
    const QByteArray frame = command == Command::Rooms
        ? *protocol::roomRateFrame(draft.deviceId, area, content.fjValues)
        : *protocol::exchangeRateFrame(draft.deviceId, area, content.wbValuesA, content.wbValuesB);
    if (Outcome sent = m_port.send(frame); !sent.ok())
        return sent;
    return saved(draft);
}

Outcome BoardEngine::sendTemperatures(const Draft& draft)
{
    const storage::BoardContent& content = draft.content;
    if (const std::optional<AreaUnusable> unusable = checkArea(content, storage::Area::Temperature))
        return *unusable;
    return m_port.send(*protocol::temperatureFrame(draft.deviceId, storage::displayArea(content, storage::Area::Temperature),
                                                   content.lowTemperature, content.highTemperature));
}

Outcome BoardEngine::sendWeather(const DraftSource& source, const Draft& first)
{
    if (Outcome sent = sendTemperatures(first); !sent.ok())
        return sent;

    // The pause lets other handlers run: the line may go, another handler may close the port,
    // the sender may go away.
    std::optional<line::LineLoss> lostInPause;
    std::optional<line::LineLoss>* const loss = &lostInPause;
    const QMetaObject::Connection watching =
        QObject::connect(&m_port, &BoardPort::lost, &m_port, [loss](const line::LineLoss& lost) { *loss = lost; });
    m_setup.pause(kWeatherPause);
    QObject::disconnect(watching);

    const std::optional<Draft> now = source();
    if (!now)
        return Withdrawn {};
    if (!m_port.isOpen()) {
        if (lostInPause)
            return LineLost {*lostInPause, true};
        return PortClosedInPause {};
    }
    const Drawn drawn = m_setup.draw(now->content.weatherText);
    if (!drawn.dots)
        return FontMissing {drawn.unloadable};
    if (Outcome sent = m_port.send(protocol::weatherDotFrame(now->deviceId, *drawn.dots)); !sent.ok()) {
        if (auto* failed = std::get_if<SendFailed>(&sent.problem()))
            return SendFailed {failed->fault, true};
        return sent;
    }
    return saved(*now);
}

Outcome BoardEngine::saved(const Draft& draft)
{
    const storage::UpdateResult written = m_setup.save(draft.content);
    if (!written.content)
        return SaveFailed {written.error, {}, false};
    Outcome done = Outcome::done();
    done.saved = written.content;
    return done;
}

} // namespace board
