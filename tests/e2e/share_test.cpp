// vorfjp-send while the window runs: when the window holds the port asked for, the frames go
// out through the window's open port and the window shows nothing of it; otherwise vorfjp-send
// opens the port itself.
#include "support/board_fixture.h"
#include "support/send_process.h"

#include "protocol/stream_decoder.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace {

using e2etest::hex;

class WindowRunning : public e2etest::BoardOnTheLine {
protected:
    void SetUp() override
    {
        BoardOnTheLine::SetUp();
        options.lineSocketPath = send.runtimeDir() + QStringLiteral("/VorFJP.line");
    }

    // Runs vorfjp-send while the window's event loop goes on.
    clitest::SendRun runWhileTheWindowLives(const QStringList& arguments)
    {
        QProcess process;
        send.start(process, arguments);
        clitest::SendRun run;
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    bool isClockFrame(const QByteArray& frame) const
    {
        if (frame.size() != 14 || !frame.startsWith(hex("02 00 0E FF EE 20")) || frame.back() != 0x03)
            return false;
        quint8 check = 0;
        for (int i = 1; i <= 11; ++i)
            check ^= quint8(frame[i]);
        return quint8(frame[12]) == check;
    }

    clitest::SendProcess send;
};

TEST_F(WindowRunning, ClockFrameGoesOutThroughTheWindowsPortAndTheWindowShowsNothing)
{
    startProgram();
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());

    const clitest::SendRun run = runWhileTheWindowLives({QStringLiteral("--port"), pty.linkA(), QStringLiteral("time")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(board->waitForBytes(14));
    EXPECT_TRUE(isClockFrame(board->received())) << board->received().toHex(' ').toStdString();
    EXPECT_TRUE(boxes.seen().empty());
    EXPECT_TRUE(form->vorMsComm().portOpen()) << "the window keeps its port";
    EXPECT_EQ(lamp()->fillColour(), QColor(0, 255, 0));
    EXPECT_EQ(e2etest::readFile(contentPath), contentFile);

    // The window still works.
    click("SendWBCommand");
    EXPECT_TRUE(board->waitForBytes(14 + 72 + 12));
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(WindowRunning, TestGetsTheAnswerTheWindowReceivesWithoutABox)
{
    startProgram();
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());
    // The board answers once the test frame is on the line.
    QTimer answering;
    QObject::connect(&answering, &QTimer::timeout, board.get(), [&] {
        if (board->received().size() >= 9) {
            answering.stop();
            board->write(hex("02 00 09 EE 00 21 05 C3 03"));
        }
    });
    answering.start(10);
    const clitest::SendRun run = runWhileTheWindowLives({QStringLiteral("--port"), pty.linkA(), QStringLiteral("test")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("device 5\n"));
    EXPECT_EQ(board->received().toHex(' '), hex("02 00 09 FF EE 21 FF C6 03").toHex(' '));
    EXPECT_EQ(form->vorMsComm().inBufferCount(), 0);

    // The operator's own test still shows its box, and it is the only one: a box for the
    // answer that went to vorfjp-send would have come first.
    click("FindCommand");
    ASSERT_TRUE(board->waitForBytes(18));
    ASSERT_TRUE(board->write(hex("02 00 09 EE 00 21 05 C3 03")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty(); }, 5000));
    ASSERT_EQ(boxes.seen().size(), 1u) << boxes.seen().front().text.toStdString();
    EXPECT_EQ(boxes.seen().front().text, QStringLiteral("找到 5 号设备~！"));
}

TEST_F(WindowRunning, TestWithoutAnAnswerThroughTheWindowEndsWithTempFail)
{
    startProgram();
    click("OpenRs232Command");
    const clitest::SendRun run = runWhileTheWindowLives(
        {QStringLiteral("--port"), pty.linkA(), QStringLiteral("--timeout"), QStringLiteral("300"), QStringLiteral("test")});
    EXPECT_EQ(run.exitCode, 75) << run.err.toStdString();
    EXPECT_TRUE(board->waitForBytes(9));
    // A late answer is the operator's again.
    ASSERT_TRUE(board->write(hex("02 00 09 EE 00 21 05 C3 03")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty(); }, 3000));
}

TEST_F(WindowRunning, FramesOfBothProgramsStayWholeOnTheLine)
{
    startProgram();
    click("OpenRs232Command");
    // vorfjp-send's rooms and clock arrive while the window's weather send pauses.
    QProcess process;
    send.start(process, {QStringLiteral("--port"), pty.linkA(), QStringLiteral("--content"), contentPath,
                         QStringLiteral("rooms"), QStringLiteral("time"), QStringLiteral("rooms")});
    ASSERT_TRUE(process.waitForStarted(5000));
    click("TxtSendCommand");
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    const int roomFrame = 32 + 12;
    const int expected = 2 * roomFrame + 14 + 16 + 142;
    const std::optional<QByteArray> sent = receivedBeforeMarker(*board, pty.linkA());
    ASSERT_TRUE(sent.has_value());
    EXPECT_EQ(sent->size(), expected);
    protocol::StreamDecoder decoder;
    std::vector<protocol::DecodedItem> items = decoder.push(*sent);
    const std::vector<protocol::DecodedItem> rest = decoder.flush();
    items.insert(items.end(), rest.begin(), rest.end());
    std::vector<int> commands;
    for (const protocol::DecodedItem& item : items) {
        ASSERT_TRUE(std::holds_alternative<protocol::DecodedFrame>(item))
            << std::get<protocol::RejectedRun>(item).reason.toStdString();
        commands.push_back(std::get<protocol::DecodedFrame>(item).command);
    }
    EXPECT_EQ(commands.size(), 5u);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x29), 1);
    EXPECT_EQ(std::count(commands.begin(), commands.end(), 0x20), 1);
    EXPECT_TRUE(boxes.seen().empty());
}

TEST_F(WindowRunning, WindowWithoutTheOpenPortLeavesItToVorfjpSend)
{
    startProgram();
    ASSERT_FALSE(form->vorMsComm().portOpen());
    const clitest::SendRun run = runWhileTheWindowLives({QStringLiteral("--port"), pty.linkA(), QStringLiteral("time")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(board->waitForBytes(14));
    EXPECT_TRUE(isClockFrame(board->received()));
    EXPECT_FALSE(form->vorMsComm().portOpen());
    EXPECT_EQ(lamp()->fillColour(), QColor(255, 0, 0)) << "the window's lamp is its own";
}

TEST_F(WindowRunning, WindowOnAnotherPortLeavesThisOneToVorfjpSend)
{
    startProgram();
    PtyPair other;
    ASSERT_TRUE(other.start()) << other.errorString().toStdString();
    portField()->setEditText(other.linkA());
    click("OpenRs232Command");
    ASSERT_TRUE(form->vorMsComm().portOpen());
    const clitest::SendRun run = runWhileTheWindowLives({QStringLiteral("--port"), pty.linkA(), QStringLiteral("time")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(board->waitForBytes(14));
    EXPECT_TRUE(isClockFrame(board->received()));
    EXPECT_TRUE(form->vorMsComm().portOpen());
}

TEST_F(WindowRunning, WindowClosedLeavesThePortToVorfjpSend)
{
    startProgram();
    click("OpenRs232Command");
    click("ExitCommand");
    form.reset();
    const clitest::SendRun run = runWhileTheWindowLives({QStringLiteral("--port"), pty.linkA(), QStringLiteral("time")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(board->waitForBytes(14));
    EXPECT_TRUE(isClockFrame(board->received()));
}

} // namespace
