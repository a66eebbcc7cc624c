// The program against a board on a real serial line (a pseudo-terminal pair): what each button
// puts on the line, byte for byte, what the content file holds afterwards, and how the program
// copes with replies, garbage and a board that goes away.
#include "board_fixture.h"
#include "send_table.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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
    ASSERT_TRUE(board->waitForBytes(int(frame.size())));
    EXPECT_FALSE(board->waitForBytes(int(frame.size()) + 1, 300)) << "more than one frame";
    EXPECT_EQ(board->received().toHex(' '), frame.toHex(' '));
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
    ASSERT_TRUE(board->waitForBytes(int(frame.size())));
    EXPECT_FALSE(board->waitForBytes(int(frame.size()) + 1, 300));
    EXPECT_EQ(board->received().toHex(' '), frame.toHex(' '));
    EXPECT_EQ(readFile(contentPath), contentFile) << "saving the loaded content gives the same bytes";
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(BoardOnTheLine, ClockFrameCarriesTheInstantOfTheClick)
{
    startProgram();
    click("SeTimeCommand");
    const QByteArray frame = hex("02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03");
    ASSERT_TRUE(board->waitForBytes(int(frame.size())));
    EXPECT_FALSE(board->waitForBytes(int(frame.size()) + 1, 300));
    EXPECT_EQ(board->received().toHex(' '), frame.toHex(' '));
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
    QTest::qWait(150);
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
    ASSERT_TRUE(board->write(hex(GetParam().bytes)));
    QTest::qWait(400);
    EXPECT_TRUE(boxes.seen().empty()) << boxes.seen().front().text.toStdString();
    EXPECT_EQ(form->vorMsComm().inBufferCount(), 0);
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
    // A last burst of nine bytes reaches the threshold whatever the bursts before left waiting.
    ASSERT_TRUE(board->write(QByteArray(9, char(0x55))));
    QTest::qWait(300);
    EXPECT_TRUE(boxes.seen().empty());
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

    // During the pause: the clock moves on and the board answers the connection test.
    now = QDateTime(QDate(2012, 5, 23), QTime(20, 14, 7));
    qint64 replyAt = -1;
    QTimer::singleShot(300, board.get(), [&] {
        replyAt = board->now();
        board->write(hex("02 00 09 EE 00 21 05 C3 03"));
    });
    click("TxtSendCommand");

    const QByteArray temperatures = hex("02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03");
    const QByteArray dots = hex("02 00 8E FF EE 29 00 01 C0 00 08 10") + QByteArray(128, '\0') + hex("6F 03");
    ASSERT_TRUE(board->waitForBytes(testFrameBytes + int(temperatures.size() + dots.size())));
    EXPECT_FALSE(board->waitForBytes(testFrameBytes + int(temperatures.size() + dots.size()) + 1, 300));
    EXPECT_EQ(board->received().mid(testFrameBytes).toHex(' '), (temperatures + dots).toHex(' '));

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
    EXPECT_GT(dotsAt - temperaturesAt, 990) << "arrival times are read on the test's side of the line";
    EXPECT_LT(dotsAt - temperaturesAt, 2500);
    EXPECT_GT(replyAt, temperaturesAt);
    EXPECT_LT(replyAt, dotsAt);

    ASSERT_EQ(boxes.seen().size(), 1u) << "the reply was handled during the pause";
    EXPECT_EQ(boxes.seen().front().text, QStringLiteral("找到 5 号设备~！"));
    EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("Label6"))->text(), QStringLiteral("20:14:07"));
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
    EXPECT_TRUE(lineStaysQuiet());
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
    EXPECT_TRUE(lineStaysQuiet());
    ASSERT_EQ(boxes.seen().size(), 1u);
    const QString text = boxes.seen().front().text;
    EXPECT_TRUE(text.contains(QStringLiteral("房价"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("-1  8   "))) << "the numbers as stored";
    EXPECT_EQ(readFile(contentPath), contentFile);
    EXPECT_FALSE(form->vorMsComm().portOpen()) << "no use opening the port for it";

    boxes.clear();
    click("SendWBCommand");
    EXPECT_TRUE(board->waitForBytes(24)) << "the other areas still work";
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(BoardOnTheLine, TemperatureAreaOutsideTheBoardsRangeStopsTheWholeWeatherSend)
{
    RecordPieces pieces;
    pieces.areas = "0   8   0   12  0   -5  ";
    startProgram(pieces);
    click("TxtSendCommand");
    EXPECT_TRUE(lineStaysQuiet(1300)) << "neither the temperatures nor the dots";
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
    ASSERT_TRUE(board->waitForBytes(int(expected.size()), 5000));
    EXPECT_FALSE(board->waitForBytes(int(expected.size()) + 1, 300));
    EXPECT_EQ(board->received().toHex(' '), expected.toHex(' '));
}

INSTANTIATE_TEST_SUITE_P(Table, ButtonSends, ::testing::ValuesIn(sendtable::sendRows()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
