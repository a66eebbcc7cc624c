// The board link on a real pseudo-terminal pair, without any window: which device it holds,
// where the board's answer goes, and the weather order with its pause.
#include "link/board_link.h"

#include "board_line.h"
#include "support/hex.h"
#include "support/pty_pair.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using testsupport::hex;

const QByteArray kReplyFromFive = hex("02 00 09 EE 00 21 05 C3 03");

class LinkOnALine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.start()) << pty.errorString().toStdString();
        board = std::make_unique<e2etest::BoardLine>(pty.linkB());
        ASSERT_TRUE(board->isOpen());
    }

    PtyPair pty;
    std::unique_ptr<e2etest::BoardLine> board;
};

TEST_F(LinkOnALine, HoldsTheDeviceByAnyOfItsNames)
{
    boardlink::BoardLink link;
    EXPECT_FALSE(link.holds(pty.linkA())) << "nothing open yet";
    ASSERT_TRUE(link.open(QStringLiteral("  ") + pty.linkA() + QStringLiteral(" ")).ok);
    EXPECT_TRUE(link.holds(pty.linkA()));
    EXPECT_TRUE(link.holds(pty.deviceA())) << "the node behind the link";
    QTemporaryDir dir;
    const QString another = dir.filePath(QStringLiteral("board"));
    ASSERT_TRUE(QFile::link(pty.deviceA(), another));
    EXPECT_TRUE(link.holds(another)) << "another link to the same node";
    EXPECT_FALSE(link.holds(pty.linkB()));
    EXPECT_FALSE(link.holds(QString()));
    link.close();
    EXPECT_FALSE(link.holds(pty.linkA()));
}

struct OpenRow {
    const char* name;
    const char* choice;
    boardlink::OpenProblem problem;
};

void PrintTo(const OpenRow& row, std::ostream* out)
{
    *out << row.name;
}

class OpenFails : public LinkOnALine, public ::testing::WithParamInterface<OpenRow> {};

TEST_P(OpenFails, LeavesAnOpenPortClosedAndSaysWhy)
{
    boardlink::BoardLink link;
    ASSERT_TRUE(link.open(pty.linkA()).ok);
    const boardlink::OpenOutcome opened = link.open(QString::fromUtf8(GetParam().choice));
    EXPECT_FALSE(opened.ok);
    EXPECT_EQ(opened.problem, GetParam().problem);
    EXPECT_FALSE(opened.reason.isEmpty());
    EXPECT_FALSE(link.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Choices, OpenFails,
                         ::testing::Values(OpenRow{"Letters", "abc", boardlink::OpenProblem::NotAPortChoice},
                                           OpenRow{"Blank", "  ", boardlink::OpenProblem::NotAPortChoice},
                                           OpenRow{"MissingDevice", "/dev/vorfjp-missing", boardlink::OpenProblem::NoSuchDevice}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkOnALine, AnAwaitedAnswerGoesToItsClaimAndTheNextOneToTheOwner)
{
    boardlink::BoardLink link;
    ASSERT_TRUE(link.open(pty.linkA()).ok);
    std::vector<int> forOwner;
    QObject owner;
    QObject::connect(&link, &boardlink::BoardLink::onComm, &owner, [&](serial::VorMsComm::CommEvent event) {
        if (const std::optional<int> number = link.readReply(event))
            forOwner.push_back(*number);
        link.discardInput();
    });
    QSignalSpy claimed(&link, &boardlink::BoardLink::answerArrived);
    ASSERT_TRUE(link.sendConnectionTest(quint8(255)).ok);
    ASSERT_TRUE(board->waitForBytes(9));
    EXPECT_EQ(board->received(), hex("02 00 09 FF EE 21 FF C6 03"));

    link.expectAnswer();
    ASSERT_TRUE(board->write(kReplyFromFive));
    ASSERT_TRUE(claimed.wait(3000));
    EXPECT_EQ(claimed.takeFirst().at(0).toInt(), 5);
    EXPECT_TRUE(forOwner.empty());

    ASSERT_TRUE(board->write(kReplyFromFive));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !forOwner.empty(); }, 3000));
    EXPECT_EQ(forOwner, std::vector<int>{5});
    EXPECT_TRUE(claimed.isEmpty());

    // A claim withdrawn is no claim.
    link.expectAnswer();
    link.stopExpectingAnswer();
    link.stopExpectingAnswer(); // one too many changes nothing
    ASSERT_TRUE(board->write(kReplyFromFive));
    ASSERT_TRUE(QTest::qWaitFor([&] { return forOwner.size() == 2; }, 3000));
    EXPECT_TRUE(claimed.isEmpty());
    EXPECT_EQ(link.comm().inBufferCount(), 0);
}

TEST_F(LinkOnALine, WaitForAnswerTellsAnswerSilenceAndLoss)
{
    boardlink::BoardLink link;
    ASSERT_TRUE(link.open(pty.linkA()).ok);
    ASSERT_TRUE(link.sendConnectionTest(quint8(5)).ok);
    QTimer::singleShot(100, board.get(), [&] { board->write(hex("02 00 09 EE 00 21 05 C4 03")); }); // wrong check
    QTimer::singleShot(200, board.get(), [&] { board->write(kReplyFromFive); });
    boardlink::AnswerOutcome answer = link.waitForAnswer(5000);
    EXPECT_EQ(answer.state, boardlink::AnswerState::Answered);
    EXPECT_EQ(answer.deviceNumber, 5);

    answer = link.waitForAnswer(200);
    EXPECT_EQ(answer.state, boardlink::AnswerState::TimedOut);

    QTimer::singleShot(100, board.get(), [&] { pty.kill(); });
    answer = link.waitForAnswer(10000);
    EXPECT_EQ(answer.state, boardlink::AnswerState::LineLost);
    EXPECT_FALSE(link.isOpen());
}

TEST_F(LinkOnALine, WeatherSendsTemperaturesPausesThenSendsDots)
{
    std::vector<int> pauses;
    boardlink::BoardLink link([&](int ms) {
        pauses.push_back(ms);
        EXPECT_TRUE(board->waitForBytes(4)) << "the temperatures are out before the pause ends";
    });
    ASSERT_TRUE(link.open(pty.linkA()).ok);
    const boardlink::WeatherOutcome sent = link.sendWeather([&] { return link.send("TEMP").ok; },
                                                            [&] { return link.send("DOTS").ok; });
    EXPECT_EQ(sent.stop, boardlink::WeatherStop::None);
    EXPECT_FALSE(sent.lineLostInPause);
    EXPECT_EQ(pauses, std::vector<int>{boardlink::kWeatherPauseMs});
    ASSERT_TRUE(board->waitForBytes(8));
    EXPECT_EQ(board->received(), QByteArray("TEMPDOTS"));
}

TEST_F(LinkOnALine, WeatherStopsWhenTheLineGoesInThePause)
{
    boardlink::BoardLink* watched = nullptr;
    boardlink::BoardLink link([&](int) {
        EXPECT_TRUE(watched->pausing());
        pty.kill();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !watched->isOpen(); }, 5000));
    });
    watched = &link;
    QSignalSpy lost(&link, &boardlink::BoardLink::lineLost);
    ASSERT_TRUE(link.open(pty.linkA()).ok);
    bool dotsTried = false;
    const boardlink::WeatherOutcome sent = link.sendWeather([&] { return link.send("TEMP").ok; }, [&] {
        dotsTried = true;
        return true;
    });
    EXPECT_EQ(sent.stop, boardlink::WeatherStop::Dots);
    ASSERT_TRUE(sent.lineLostInPause.has_value());
    EXPECT_FALSE(sent.lineLostInPause->isEmpty());
    EXPECT_FALSE(dotsTried);
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(link.pausing());
}

TEST_F(LinkOnALine, WriteToAGoneLineIsALossAndClosesThePort)
{
    boardlink::BoardLink link;
    ASSERT_TRUE(link.open(pty.linkA()).ok);
    EXPECT_EQ(link.send("X").problem, boardlink::SendProblem::None);
    pty.kill();
    const boardlink::SendOutcome sent = link.send(hex("02 00 09 FF EE 21 FF C6 03"));
    EXPECT_FALSE(sent.ok);
    EXPECT_EQ(sent.problem, boardlink::SendProblem::LineLost);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(link.send("X").problem, boardlink::SendProblem::NotOpen);
}

} // namespace
