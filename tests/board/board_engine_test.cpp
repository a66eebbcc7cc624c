// The board engine without any front end: the weather order with its pause on a real
// pseudo-terminal pair, and the rules every front end gets from it: the area check before the
// port, a missing font that never holds back the temperatures, and which sends rewrite the file.
#include "board/board_engine.h"
#include "board/link_port.h"
#include "board/operator_text.h"

#include "support/board_line.h"
#include "support/hex.h"
#include "support/pty_pair.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using testsupport::hex;

// The delivered file's areas shrunk to a small temperature area at 0, with the design texts.
storage::BoardContent smallAreas()
{
    storage::BoardContent content;
    content.fjLength = 8;
    content.wbAddress = 256;
    content.wbLength = 12;
    content.wenDuLength = 4;
    content.fjValues.fill(QStringLiteral("1234"));
    content.wbValuesA.fill(QStringLiteral("123.456"));
    content.wbValuesB.fill(QStringLiteral("123.888"));
    content.weatherText = QStringLiteral("多云转晴");
    content.lowTemperature = QStringLiteral("12");
    content.highTemperature = QStringLiteral("18");
    return content;
}

// Device 255, the temperature area at 0 with 4 cells, 12 and 18.
const QByteArray kTemperatures = hex("02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03");
// The weather dot frame of device 255 with no dot lit.
const QByteArray kDarkDots = hex("02 00 8E FF EE 29 00 01 C0 00 08 10") + QByteArray(128, '\0') + hex("6F 03");

// Counts what the engine asks of a port, and can refuse to send.
class CountingPort : public board::FrameRecorder {
public:
    board::Outcome open() override
    {
        ++opens;
        return board::Outcome::done();
    }
    board::Outcome send(const QByteArray& frame) override
    {
        if (refuseSends)
            return board::SendFailed {line::WriteFault {line::WriteFailure::NotAccepted, QStringLiteral("p"), {}, 0, 0, 0}};
        return FrameRecorder::send(frame);
    }
    int opens = 0;
    bool refuseSends = false;
};

struct Saves {
    std::vector<storage::BoardContent> contents;
    std::function<storage::UpdateResult(const storage::BoardContent&)> saver()
    {
        return [this](const storage::BoardContent& content) {
            contents.push_back(content);
            return storage::UpdateResult {content, true, {}, {}};
        };
    }
};

board::EngineSetup setupWith(Saves& saves, std::function<void(std::chrono::milliseconds)> pause = {})
{
    board::EngineSetup setup;
    setup.clock = [] { return QDateTime(QDate(2012, 5, 23), QTime(20, 14, 6)); };
    setup.draw = [](const QString&) { return board::Drawn {protocol::DotMatrix {}, {}}; };
    setup.pause = pause ? std::move(pause) : [](std::chrono::milliseconds) {};
    setup.save = saves.saver();
    return setup;
}

class WeatherOnALine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.start()) << pty.errorString().toStdString();
        board = std::make_unique<e2etest::BoardLine>(pty.linkB());
        ASSERT_TRUE(board->isOpen());
    }

    PtyPair pty;
    std::unique_ptr<e2etest::BoardLine> board;
    boardlink::BoardLink link;
};

TEST_F(WeatherOnALine, TemperaturesThenThePauseThenDotsOfTheTextAsItIsAfterThePause)
{
    board::LinkPort port(link, [this] { return pty.linkA(); });
    storage::BoardContent content = smallAreas();
    std::vector<std::chrono::milliseconds> pauses;
    Saves saves;
    board::EngineSetup setup = setupWith(saves, [&](std::chrono::milliseconds pause) {
        pauses.push_back(pause);
        EXPECT_TRUE(board->waitForBytes(kTemperatures.size())) << "the temperatures are out before the pause ends";
        content.weatherText = QString(); // the operator clears the text meanwhile
    });
    QStringList drawn;
    setup.draw = [&](const QString& text) {
        drawn << text;
        return board::Drawn {protocol::DotMatrix {}, {}};
    };
    board::BoardEngine engine(port, std::move(setup));

    const board::Outcome outcome = engine.run(board::Command::Weather, [&] { return board::Draft {content, 255}; });

    ASSERT_TRUE(outcome.ok());
    EXPECT_EQ(pauses, std::vector<std::chrono::milliseconds> {board::kWeatherPause});
    EXPECT_EQ(drawn, QStringList {QString()}) << "drawn once, after the pause";
    ASSERT_TRUE(board->waitForBytes(kTemperatures.size() + kDarkDots.size()));
    EXPECT_EQ(board->received().toHex(' '), (kTemperatures + kDarkDots).toHex(' '));
    ASSERT_EQ(saves.contents.size(), 1u);
    EXPECT_EQ(saves.contents.front().weatherText, QString()) << "the file keeps what was sent";
    EXPECT_EQ(outcome.saved, saves.contents.front());
}

TEST_F(WeatherOnALine, LineLostInThePauseSendsNoDotsAndSavesNothing)
{
    board::LinkPort port(link, [this] { return pty.linkA(); });
    Saves saves;
    board::BoardEngine engine(port, setupWith(saves, [&](std::chrono::milliseconds) {
        ASSERT_TRUE(board->waitForBytes(kTemperatures.size()));
        pty.kill();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !link.isOpen(); }, 5000));
    }));

    const board::Outcome outcome =
        engine.run(board::Command::Weather, [] { return board::Draft {smallAreas(), 255}; });

    ASSERT_FALSE(outcome.ok());
    const auto* lost = std::get_if<board::LineLost>(&outcome.problem());
    ASSERT_NE(lost, nullptr) << board::problemKind(outcome.problem());
    EXPECT_TRUE(lost->temperaturesSent);
    EXPECT_EQ(lost->loss.port, pty.linkA());
    EXPECT_EQ(board->received(), kTemperatures) << "no dot frame";
    EXPECT_TRUE(saves.contents.empty());
}

TEST(WeatherWithoutAFont, StillSendsTheTemperaturesAndSaysWhyTheTextDidNotGo)
{
    CountingPort port;
    Saves saves;
    board::EngineSetup setup = setupWith(saves);
    setup.draw = [](const QString&) { return board::Drawn {std::nullopt, QStringLiteral("no font")}; };
    board::BoardEngine engine(port, std::move(setup));

    const board::Outcome outcome = engine.run(board::Command::Weather, [] { return board::Draft {smallAreas(), 255}; });

    ASSERT_FALSE(outcome.ok());
    const auto* missing = std::get_if<board::FontMissing>(&outcome.problem());
    ASSERT_NE(missing, nullptr) << board::problemKind(outcome.problem());
    EXPECT_EQ(missing->unloadable, QStringLiteral("no font"));
    ASSERT_EQ(port.frames().size(), 1u);
    EXPECT_EQ(port.frames().front(), kTemperatures);
    EXPECT_TRUE(saves.contents.empty());
}

struct SaveRow {
    const char* name;
    board::Command command;
    std::vector<QByteArray> frames; // as the line must carry them
    bool saves;
};

void PrintTo(const SaveRow& row, std::ostream* out)
{
    *out << row.name;
}

class WhatASendLeaves : public ::testing::TestWithParam<SaveRow> {};

// The file is rewritten after the frames of rooms, rates and weather, never after the clock or
// the connection test, and never when a frame did not go out.
TEST_P(WhatASendLeaves, FramesAndTheFileRewriteOfEachCommand)
{
    const SaveRow& row = GetParam();
    {
        CountingPort port;
        Saves saves;
        board::BoardEngine engine(port, setupWith(saves));
        const board::Outcome outcome = engine.run(row.command, [] { return board::Draft {smallAreas(), 1}; });
        ASSERT_TRUE(outcome.ok()) << board::problemKind(outcome.problem());
        ASSERT_EQ(port.frames().size(), row.frames.size());
        for (std::size_t i = 0; i < row.frames.size(); ++i)
            EXPECT_EQ(port.frames()[i].toHex(' '), row.frames[i].toHex(' ')) << i;
        EXPECT_EQ(saves.contents.size(), row.saves ? 1u : 0u);
        EXPECT_EQ(outcome.saved.has_value(), row.saves);
    }
    CountingPort refusing;
    refusing.refuseSends = true;
    Saves saves;
    board::BoardEngine engine(refusing, setupWith(saves));
    const board::Outcome outcome = engine.run(row.command, [] { return board::Draft {smallAreas(), 1}; });
    ASSERT_FALSE(outcome.ok());
    EXPECT_TRUE(std::holds_alternative<board::SendFailed>(outcome.problem()));
    EXPECT_TRUE(saves.contents.empty()) << "a send that did not go out saves nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Commands, WhatASendLeaves,
    ::testing::Values(
        SaveRow {"Rooms", board::Command::Rooms, {hex("02 00 14 01 EE 25 00 00 00 08 F9 A4 B0 99 F9 A4 B0 99 D6 03")}, true},
        SaveRow {"Rates",
                 board::Command::Rates,
                 {hex("02 00 18 01 EE 25 01 00 00 0C F9 A4 30 99 92 82 F9 A4 30 80 80 80 D6 03")},
                 true},
        SaveRow {"Clock", board::Command::Time, {hex("02 00 0E 01 EE 20 0C 05 17 14 0E 06 C3 03")}, false},
        SaveRow {"Test", board::Command::Test, {hex("02 00 09 01 EE 21 01 C6 03")}, false},
        SaveRow {"Weather",
                 board::Command::Weather,
                 {hex("02 00 10 01 EE 25 00 00 00 04 F9 A4 F9 80 FA 03"),
                  hex("02 00 8E 01 EE 29 00 01 C0 00 08 10") + QByteArray(128, '\0') + hex("91 03")},
                 true}),
    [](const auto& info) { return std::string(info.param.name); });

// An area the board cannot have is a fault of the content file: the port is not even opened.
TEST(AreaCheck, ComesBeforeThePortAndNamesTheArea)
{
    CountingPort port;
    Saves saves;
    board::BoardEngine engine(port, setupWith(saves));
    storage::BoardContent content = smallAreas();
    storage::setAreaNumber(content, *storage::fieldForKey(u"areas.rates.length"), 10000 - 1);
    storage::setAreaNumber(content, *storage::fieldForKey(u"areas.rooms.address"), -1);

    const board::Outcome rooms = engine.run(board::Command::Rooms, [&] { return board::Draft {content, 1}; });
    ASSERT_FALSE(rooms.ok());
    const auto* unusable = std::get_if<board::AreaUnusable>(&rooms.problem());
    ASSERT_NE(unusable, nullptr);
    EXPECT_EQ(unusable->area, storage::Area::Rooms);
    EXPECT_EQ(unusable->why, protocol::AreaProblem::AddressOutOfRange);
    EXPECT_EQ(unusable->storedText, QStringLiteral("-1  8   "));
    EXPECT_EQ(port.opens, 0);
    EXPECT_TRUE(port.frames().empty());

    // 9999 cells is the most a four-character field can say, and a frame can carry.
    EXPECT_TRUE(engine.run(board::Command::Rates, [&] { return board::Draft {content, 1}; }).ok());
    EXPECT_EQ(port.frames().back().size(), 9999 + 12);
}

} // namespace
