// The board link on a real pseudo-terminal pair, without any window: which device it holds,
// and where the board's answer goes.
#include "link/board_link.h"
#include "protocol/connection_test.h"

#include "support/board_line.h"
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
    ASSERT_TRUE(link.open(QStringLiteral("  ") + pty.linkA() + QStringLiteral(" ")).ok());
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
    line::OpenFailure problem;
};

void PrintTo(const OpenRow& row, std::ostream* out)
{
    *out << row.name;
}

class OpenFails : public LinkOnALine, public ::testing::WithParamInterface<OpenRow> {};

TEST_P(OpenFails, LeavesAnOpenPortClosedAndSaysWhy)
{
    boardlink::BoardLink link;
    ASSERT_TRUE(link.open(pty.linkA()).ok());
    const line::Result<line::OpenFault> opened = link.open(QString::fromUtf8(GetParam().choice));
    ASSERT_FALSE(opened.ok());
    EXPECT_EQ(opened.fault().why, GetParam().problem);
    EXPECT_EQ(opened.fault().port, QString::fromUtf8(GetParam().choice)) << "names what it could not open";
    EXPECT_FALSE(link.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Choices, OpenFails,
                         ::testing::Values(OpenRow{"Letters", "abc", line::OpenFailure::NotAPortChoice},
                                           OpenRow{"Blank", "  ", line::OpenFailure::NotAPortChoice},
                                           OpenRow{"MissingDevice", "/dev/vorfjp-missing", line::OpenFailure::NoSuchDevice}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinkOnALine, AnAwaitedAnswerGoesToItsClaimAndTheNextOneToTheOwner)
{
    boardlink::BoardLink link;
    ASSERT_TRUE(link.open(pty.linkA()).ok());
    std::vector<int> forOwner;
    QObject owner;
    QObject::connect(&link, &boardlink::BoardLink::onComm, &owner, [&](serial::VorMsComm::CommEvent event) {
        if (const std::optional<int> number = link.readReply(event))
            forOwner.push_back(*number);
        link.discardInput();
    });
    QSignalSpy claimed(&link, &boardlink::BoardLink::answerArrived);
    ASSERT_TRUE(link.sendConnectionTest(protocol::connectionTestFrame(255)).ok());
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
    ASSERT_TRUE(link.open(pty.linkA()).ok());
    ASSERT_TRUE(link.sendConnectionTest(protocol::connectionTestFrame(5)).ok());
    QTimer::singleShot(100, board.get(), [&] { board->write(hex("02 00 09 EE 00 21 05 C4 03")); }); // wrong check
    QTimer::singleShot(200, board.get(), [&] { board->write(kReplyFromFive); });
    boardlink::AnswerOutcome answer = link.waitForAnswer(std::chrono::milliseconds(5000));
    EXPECT_EQ(answer.state, boardlink::AnswerOutcome::State::Answered);
    EXPECT_EQ(answer.deviceNumber, 5);

    answer = link.waitForAnswer(std::chrono::milliseconds(200));
    EXPECT_EQ(answer.state, boardlink::AnswerOutcome::State::TimedOut);

    QTimer::singleShot(100, board.get(), [&] { pty.kill(); });
    answer = link.waitForAnswer(std::chrono::milliseconds(10000));
    EXPECT_EQ(answer.state, boardlink::AnswerOutcome::State::LineLost);
    EXPECT_FALSE(link.isOpen());
}

TEST_F(LinkOnALine, WriteToAGoneLineIsALossAndClosesThePort)
{
    boardlink::BoardLink link;
    ASSERT_TRUE(link.open(pty.linkA()).ok());
    EXPECT_TRUE(link.send("X").ok());
    pty.kill();
    const line::Result<line::WriteFault> sent = link.send(hex("02 00 09 FF EE 21 FF C6 03"));
    ASSERT_FALSE(sent.ok());
    EXPECT_EQ(sent.fault().why, line::WriteFailure::HungUp);
    EXPECT_FALSE(link.isOpen());
    const line::Result<line::WriteFault> again = link.send("X");
    ASSERT_FALSE(again.ok());
    EXPECT_EQ(again.fault().why, line::WriteFailure::NotOpen);
}

} // namespace
