// The program against a board on a real serial line (a pseudo-terminal pair): what each button
// puts on the line, byte for byte, what the content file holds afterwards, and how the program
// copes with replies, garbage and a board that goes away.
#include "support/board_fixture.h"
#include "support/send_table.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

namespace {

using e2etest::BoardOnTheLine;
using e2etest::hex;
using e2etest::readFile;
using e2etest::RecordPieces;

TEST_F(BoardOnTheLine, RoomRatesGoOutAsOneFrameAndTheFileKeepsThem)
{
    RecordPieces pieces;
    pieces.areas = "0   8   256 12  0   4   ";
    startProgram(pieces);
    typeDeviceNumber("1");
    field("FJValText_0")->setText(QStringLiteral("1234"));
    field("FJValText_1")->setText(QStringLiteral("5.6"));
    field("FJValText_2")->setText(QStringLiteral("88"));
    click("SendFJCommand");

    const QByteArray frame = hex("02 00 14 01 EE 25 00 00 00 08 F9 A4 B0 99 FF 12 82 FF 32 03");
    EXPECT_TRUE(lineCarriedOnly(frame)) << "one frame, nothing more";
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 255, 0)) << "the send opened the port";

    RecordPieces saved = pieces;
    saved.fjValues[1] = "5.6";
    saved.fjValues[2] = "88";
    EXPECT_EQ(readFile(contentPath), saved.fileBytes());
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(BoardOnTheLine, ExchangeRatesGoOutAsOneFrameAndTheFileIsRewritten)
{
    RecordPieces pieces;
    pieces.areas = "0   8   256 12  0   4   ";
    startProgram(pieces);
    typeDeviceNumber("1");
    click("SendWBCommand");

    const QByteArray frame = hex("02 00 18 01 EE 25 01 00 00 0C F9 A4 30 99 92 82 F9 A4 30 80 80 80 D6 03");
    EXPECT_TRUE(lineCarriedOnly(frame));
    EXPECT_EQ(readFile(contentPath), contentFile) << "saving the loaded content gives the same bytes";
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(BoardOnTheLine, ClockFrameCarriesTheInstantOfTheClick)
{
    startProgram();
    click("SeTimeCommand");
    const QByteArray frame = hex("02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03");
    EXPECT_TRUE(lineCarriedOnly(frame));
    EXPECT_EQ(readFile(contentPath), contentFile) << "the clock command saves nothing";
}

TEST_F(BoardOnTheLine, ConnectionTestReportsTheBoardThatAnswers)
{
    startProgram();
    click("FindCommand");
    ASSERT_TRUE(board->waitForBytes(9));
    EXPECT_EQ(board->received().toHex(' '), hex("02 00 09 FF EE 21 FF C6 03").toHex(' '));

    ASSERT_TRUE(board->write(hex("02 00 09 EE 00 21 05 C3 03")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty(); }, 3000));
    EXPECT_EQ(boxes.seen().front().text, QStringLiteral("找到 5 号设备~！"));
    EXPECT_EQ(boxes.seen().front().icon, QMessageBox::Information);
    EXPECT_EQ(boxes.seen().front().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(form->vorMsComm().inBufferCount(), 0);

    // The same reply split in two bursts, the first below the threshold.
    boxes.clear();
    ASSERT_TRUE(board->write(hex("02 00 09 EE")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->vorMsComm().inBufferCount() == 4; }, 5000))
        << "the program holds the first burst before the rest is written";
    EXPECT_TRUE(boxes.seen().empty());
    ASSERT_TRUE(board->write(hex("00 21 05 C3 03")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty(); }, 3000));
    EXPECT_EQ(boxes.seen().front().text, QStringLiteral("找到 5 号设备~！"));
    EXPECT_EQ(form->vorMsComm().inBufferCount(), 0);
    EXPECT_EQ(readFile(contentPath), contentFile);
}

struct BurstRow {
    const char* name;
    const char* bytes;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const BurstRow& row, std::ostream* out)
{
    *out << row.name;
}

class BadReply : public BoardOnTheLine, public ::testing::WithParamInterface<BurstRow> {};

TEST_P(BadReply, IsDroppedWithoutAMessageAndLeavesTheBufferEmpty)
{
    startProgram();
    click("FindCommand");
    ASSERT_TRUE(board->waitForBytes(9));
    // Every row reaches the threshold, so the reply handler runs once and is done when the
    // spy, connected after it, sees the event.
    QSignalSpy handled(&form->vorMsComm(), &serial::VorMsComm::onComm);
    ASSERT_TRUE(board->write(hex(GetParam().bytes)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !handled.isEmpty(); }, 5000)) << "the burst raised no event";
    EXPECT_TRUE(boxes.seen().empty()) << boxes.seen().front().text.toStdString();
    EXPECT_EQ(form->vorMsComm().inBufferCount(), 0);

    // Nothing of the burst is left to spoil the board's real answer.
    ASSERT_TRUE(board->write(hex("02 00 09 EE 00 21 05 C3 03")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty(); }, 5000));
    EXPECT_EQ(boxes.seen().front().text, QStringLiteral("找到 5 号设备~！"));
}

INSTANTIATE_TEST_SUITE_P(
    Replies, BadReply,
    ::testing::Values(BurstRow{"WrongCheckByte", "02 00 09 EE 00 21 05 C4 03"},
                      BurstRow{"LengthFieldSaysTen", "02 00 0A EE 00 21 05 C3 03"},
                      BurstRow{"NoStartByte", "00 00 09 EE 00 21 05 C3 03"},
                      BurstRow{"NoEndByte", "02 00 09 EE 00 21 05 C3 00"},
                      BurstRow{"NoMarker", "02 00 09 FF 00 21 05 C3 03"},
                      BurstRow{"TwoRepliesTogether", "02 00 09 EE 00 21 05 C3 03 02 00 09 EE 00 21 05 C3 03"},
                      BurstRow{"OverLong", "02 00 09 EE 00 21 05 C3 03 00"},
                      BurstRow{"PlainText", "48 65 6C 6C 6F 20 62 6F 61 72 64"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardOnTheLine, RandomBurstsNeverShowAMessage)
{
    startProgram();
    click("FindCommand");
    ASSERT_TRUE(board->waitForBytes(9));
    std::mt19937 random(20260307);
    std::uniform_int_distribution<int> length(1, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    // Thousands of bursts; short pauses let the line coalesce some of them, as a noisy line would.
    for (int burst = 0; burst < 3000; ++burst) {
        QByteArray bytes;
        for (int i = length(random); i > 0; --i)
            bytes += char(byte(random));
        // A random burst that happens to be a valid reply would rightly show a message.
        if (bytes.size() >= 9 && bytes.front() == 0x02 && bytes.back() == 0x03)
            bytes.back() = 0x04;
        ASSERT_TRUE(board->write(bytes));
        QTest::qWait(burst % 10 == 0 ? 5 : 0);
    }
    // The board's real answer, repeated until one lands in an empty buffer (an answer joined to
    // what the noise left waiting is dropped with it). Every message must be an answer's.
    QSignalSpy handled(&form->vorMsComm(), &serial::VorMsComm::onComm);
    std::size_t answers = 0;
    while (boxes.seen().empty() && answers < 5) {
        const qsizetype before = handled.size();
        ASSERT_TRUE(board->write(hex("02 00 09 EE 00 21 05 C3 03")));
        ++answers;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty() || handled.size() > before; }, 5000))
            << "the answer raised no event";
    }
    ASSERT_FALSE(boxes.seen().empty()) << "no answer got through what the noise left";
    EXPECT_LE(boxes.seen().size(), answers);
    for (const apptest::SeenBox& box : boxes.seen())
        EXPECT_EQ(box.text, QStringLiteral("找到 5 号设备~！")) << "the noise showed a message";
    EXPECT_EQ(form->vorMsComm().inBufferCount(), 0);
}

TEST_F(BoardOnTheLine, WeatherSendsTemperaturesThenDotsAfterAPauseInWhichTheWindowLives)
{
    RecordPieces pieces;
    pieces.areas = "0   32  32  72  0   4   ";
    pieces.weather = apptest::ascii("");
    startProgram(pieces);
    click("FindCommand");
    ASSERT_TRUE(board->waitForBytes(9));
    const int testFrameBytes = int(board->received().size());

    const QByteArray testFrame = board->received();
    const QByteArray temperatures = hex("02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03");
    const QByteArray dots = hex("02 00 8E FF EE 29 00 01 C0 00 08 10") + QByteArray(128, '\0') + hex("6F 03");

    // During the pause: the clock moves on, and the board answers the connection test as soon
    // as the temperatures are through.
    now = QDateTime(QDate(2012, 5, 23), QTime(20, 14, 7));
    qint64 replyAt = -1;
    board->setOnArrival([&] {
        if (replyAt < 0 && board->received().size() >= testFrameBytes + temperatures.size()) {
            replyAt = board->now();
            board->write(hex("02 00 09 EE 00 21 05 C3 03"));
        }
    });
    const qint64 clickAt = board->now();
    click("TxtSendCommand");
    board->setOnArrival({});
    // The click returns only after the dots, so what it saw came during the pause.
    const std::vector<apptest::SeenBox> boxesDuringTheSend = boxes.seen();
    EXPECT_TRUE(lineCarriedOnly(testFrame + temperatures + dots));

    // When the first byte of each frame arrived.
    qint64 temperaturesAt = -1;
    qint64 dotsAt = -1;
    int seen = 0;
    for (const e2etest::Arrival& arrival : board->arrivals()) {
        if (seen <= testFrameBytes && seen + arrival.bytes.size() > testFrameBytes && temperaturesAt < 0)
            temperaturesAt = arrival.atMs;
        const int dotsStart = testFrameBytes + int(temperatures.size());
        if (seen <= dotsStart && seen + arrival.bytes.size() > dotsStart)
            dotsAt = arrival.atMs;
        seen += int(arrival.bytes.size());
    }
    // The dots cannot be on the line before the pause is over, however late the test reads.
    EXPECT_GE(dotsAt - clickAt, 1000);
    // One pause, not several; loose enough for a sanitizer build on a loaded machine.
    EXPECT_LT(dotsAt - temperaturesAt, 2500);
    EXPECT_GE(replyAt, temperaturesAt);
    EXPECT_LT(replyAt, dotsAt);

    ASSERT_EQ(boxesDuringTheSend.size(), 1u) << "the reply was handled during the pause";
    EXPECT_EQ(boxesDuringTheSend.front().text, QStringLiteral("找到 5 号设备~！"));
    EXPECT_EQ(boxes.seen().size(), 1u);
    // The clock's tick is not tied to the pause's phase; it goes on and shows the new time.
    const QLabel* clock = form->findChild<QLabel*>(QStringLiteral("Label6"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return clock->text() == QStringLiteral("20:14:07"); }, 5000)) << clock->text().toStdString();
    EXPECT_EQ(readFile(contentPath), contentFile) << "one save of the unchanged window";
}

struct ClosedPortRow {
    const char* name;
    const char* button;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const ClosedPortRow& row, std::ostream* out)
{
    *out << row.name;
}

class NoOpenablePort : public BoardOnTheLine, public ::testing::WithParamInterface<ClosedPortRow> {};

TEST_P(NoOpenablePort, SendsNothingSavesNothingAndSaysSo)
{
    startProgram();
    field("FJValText_0")->setText(QStringLiteral("9"));
    portField()->setEditText(QStringLiteral("abc"));
    click(GetParam().button);
    EXPECT_TRUE(lineCarriedOnly({}));
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_TRUE(boxes.seen().front().text.startsWith(QStringLiteral("端口打开错误~!\n")))
        << boxes.seen().front().text.toStdString();
    EXPECT_EQ(boxes.seen().front().icon, QMessageBox::NoIcon);
    EXPECT_EQ(boxes.seen().front().buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(boxes.seen().front().format, Qt::PlainText);
    EXPECT_EQ(boxes.seen().front().title, QGuiApplication::applicationDisplayName());
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 0, 0));
    EXPECT_FALSE(lamp()->toolTip().isEmpty());
    EXPECT_EQ(readFile(contentPath), contentFile);
}

INSTANTIATE_TEST_SUITE_P(Buttons, NoOpenablePort,
                         ::testing::Values(ClosedPortRow{"RoomRates", "SendFJCommand"},
                                           ClosedPortRow{"ExchangeRates", "SendWBCommand"},
                                           ClosedPortRow{"Weather", "TxtSendCommand"},
                                           ClosedPortRow{"Clock", "SeTimeCommand"},
                                           ClosedPortRow{"ConnectionTest", "FindCommand"},
                                           ClosedPortRow{"OpenButton", "OpenRs232Command"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardOnTheLine, FailedOpenClosesAPortThatWasOpen)
{
    startProgram();
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 255, 0));
    click("OpenRs232Command");
    EXPECT_TRUE(form->vorMsComm().portOpen()) << "opening twice reopens";
    portField()->setEditText(QStringLiteral("  "));
    click("OpenRs232Command");
    EXPECT_FALSE(form->vorMsComm().portOpen());
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 0, 0));
    EXPECT_EQ(boxes.seen().size(), 1u);
}

TEST_F(BoardOnTheLine, AreaOutsideTheBoardsRangeIsNamedAndNothingIsSent)
{
    RecordPieces pieces;
    pieces.areas = "-1  8   0   12  0   4   ";
    startProgram(pieces);
    click("SendFJCommand");
    ASSERT_EQ(boxes.seen().size(), 1u);
    const QString text = boxes.seen().front().text;
    EXPECT_TRUE(text.contains(QStringLiteral("房价"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("-1  8   "))) << "the numbers as stored";
    EXPECT_EQ(readFile(contentPath), contentFile);
    EXPECT_FALSE(form->vorMsComm().portOpen()) << "no use opening the port for it";

    boxes.clear();
    click("SendWBCommand");
    const std::optional<QByteArray> sent = receivedBeforeMarker(*board, pty.linkA());
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->size(), 24) << "no room rates, and the exchange rates still work: " << sent->toHex(' ').toStdString();
    EXPECT_EQ(sent->at(5), char(0x25)) << "a display-data frame";
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(BoardOnTheLine, TemperatureAreaOutsideTheBoardsRangeStopsTheWholeWeatherSend)
{
    RecordPieces pieces;
    pieces.areas = "0   8   0   12  0   -5  ";
    startProgram(pieces);
    click("TxtSendCommand");
    EXPECT_TRUE(lineCarriedOnly({})) << "neither the temperatures nor the dots";
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_TRUE(boxes.seen().front().text.contains(QStringLiteral("温度"))) << boxes.seen().front().text.toStdString();
    EXPECT_EQ(readFile(contentPath), contentFile);
}

TEST_F(BoardOnTheLine, ContentThatCannotBeSavedIsReportedAfterTheFrameWentOut)
{
    startProgram();
    // Something in the way of the content file: a folder of the same name.
    ASSERT_TRUE(QFile::remove(contentPath));
    ASSERT_TRUE(QDir().mkdir(contentPath));
    field("FJValText_0")->setText(QStringLiteral("9"));
    click("SendFJCommand");
    EXPECT_TRUE(board->waitForBytes(32 + 12)) << "the frame goes out first";
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_TRUE(boxes.seen().front().text.contains(QStringLiteral("VorFjp.ini"))) << boxes.seen().front().text.toStdString();
    EXPECT_EQ(field("FJValText_0")->text(), QStringLiteral("9")) << "the window keeps what was typed";
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(QFileInfo(contentPath).isDir());
}

TEST_F(BoardOnTheLine, ClosingTheWindowClosesTheOpenPort)
{
    startProgram();
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());
    click("ExitCommand");
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->vorMsComm().portOpen());
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 255, 0)) << "closing at exit leaves the lamp as it was";
    EXPECT_EQ(QSettings(QStringLiteral("VorFJP"), QStringLiteral("VorFJP")).value(QStringLiteral("CommPort/CommPort")),
              pty.linkA());
}

TEST_F(BoardOnTheLine, SendThatFindsTheLineGoneSaysTheFrameWasNotSentAndSavesNothing)
{
    startProgram();
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());
    // Pulled out between two events: the program learns of it only when it writes.
    pty.kill();
    field("FJValText_0")->setText(QStringLiteral("9"));
    click("SendFJCommand");
    EXPECT_FALSE(form->vorMsComm().portOpen());
    ASSERT_EQ(boxes.seen().size(), 1u) << "one message for one fault";
    EXPECT_TRUE(boxes.seen().back().text.contains(QStringLiteral("没有发送"))) << boxes.seen().back().text.toStdString();
    EXPECT_EQ(readFile(contentPath), contentFile);
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 0, 0));
    EXPECT_TRUE(form->isVisible());
}

TEST_F(BoardOnTheLine, BoardThatVanishesIsReportedAndTheProgramCarriesOn)
{
    startProgram();
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());
    pty.kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty(); }, 5000)) << "no word of the lost line";
    EXPECT_FALSE(form->vorMsComm().portOpen());
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 0, 0));
    EXPECT_EQ(boxes.seen().size(), 1u);

    boxes.clear();
    click("SendFJCommand");
    ASSERT_FALSE(boxes.seen().empty()) << "the send says why nothing went out";
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(readFile(contentPath), contentFile);
}

} // namespace

namespace {

class ButtonSends : public e2etest::BoardOnTheLine, public ::testing::WithParamInterface<sendtable::SendRow> {};

TEST_P(ButtonSends, TheBytesOfTheTable)
{
    const sendtable::SendRow& row = GetParam();
    startProgram(row.pieces);
    typeDeviceNumber(row.device);
    click(row.button);
    QByteArray expected;
    for (const char* frame : row.frames)
        expected += hex(frame);
    EXPECT_TRUE(lineCarriedOnly(expected));
}

INSTANTIATE_TEST_SUITE_P(Table, ButtonSends, ::testing::ValuesIn(sendtable::sendRows()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
