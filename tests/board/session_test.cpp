// The board session on real lines: a pseudo-terminal pair for a serial port of its own, and
// device servers on loopback. What a front end relies on: run() only queues, requests never
// interleave their frames, a send is saved only once its frames went out, and a send on a device
// server is reported only once the end of the connection confirmed it.
#include "board/operator_text.h"
#include "board/session.h"
#include "board/shared_port.h"

#include "support/board_line.h"
#include "support/files.h"
#include "support/pty_pair.h"

#include "protocol/room_rate.h"
#include "protocol/temperature.h"
#include "protocol/weather_dots.h"
#include "storage/content_file.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <variant>

namespace {

constexpr int kWaitMs = 15000;

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

QByteArray roomsFrame(const storage::BoardContent& content)
{
    return *protocol::roomRateFrame(protocol::kEveryDevice, storage::displayArea(content, storage::Area::Rooms),
                                    content.fjValues);
}

// What came back for each request, in the order the answers came.
struct Answers {
    std::vector<std::pair<int, board::Outcome>> got;
    board::Session::Done forRequest(int number)
    {
        return [this, number](const board::Outcome& outcome) { got.emplace_back(number, outcome); };
    }
    bool waitFor(std::size_t count) { return QTest::qWaitFor([&] { return got.size() >= count; }, kWaitMs); }
};

class SessionFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        contentPath = dir.filePath(QStringLiteral("VorFjp.ini"));
        ASSERT_TRUE(storage::saveContentFile(contentPath, smallAreas()).ok);
    }

    // A session on the given port choice; nobody lends a port at the socket path.
    std::unique_ptr<board::Session> sessionOn(const QString& choice, board::SessionSetup setup = {})
    {
        setup.contentPath = contentPath;
        setup.draw = [](const QString&) { return board::Drawn {protocol::DotMatrix {}, {}}; };
        return std::make_unique<board::Session>(
            std::make_unique<board::SharedPort>([choice] { return choice; }, dir.filePath(QStringLiteral("nobody.line"))),
            std::move(setup));
    }

    QTemporaryDir dir;
    QString contentPath;
};

class SessionOnASerialPort : public SessionFixture {
protected:
    void SetUp() override
    {
        SessionFixture::SetUp();
        ASSERT_TRUE(pty.start()) << pty.errorString().toStdString();
        board = std::make_unique<e2etest::BoardLine>(pty.linkB());
        ASSERT_TRUE(board->isOpen());
    }

    PtyPair pty;
    std::unique_ptr<e2etest::BoardLine> board;
};

TEST_F(SessionOnASerialPort, QueuesWithoutSendingAndRunsInOrderWithoutInterleaving)
{
    const std::unique_ptr<board::Session> session = sessionOn(pty.linkA());
    Answers answers;
    session->run({board::Command::Weather, protocol::kEveryDevice, {}}, answers.forRequest(1));
    session->run({board::Command::Rooms, protocol::kEveryDevice, {}}, answers.forRequest(2));
    EXPECT_TRUE(answers.got.empty()) << "run() only queues";
    EXPECT_EQ(session->queued(), 2);

    // A request that comes in the weather pause goes after the weather's second frame.
    const QByteArray temperatures = *protocol::temperatureFrame(
        protocol::kEveryDevice, storage::displayArea(smallAreas(), storage::Area::Temperature), QStringLiteral("12"),
        QStringLiteral("18"));
    bool queuedInPause = false;
    board->setOnArrival([&] {
        if (!queuedInPause && board->received().size() >= temperatures.size()) {
            queuedInPause = true;
            session->run({board::Command::Rooms, protocol::kEveryDevice, {}}, answers.forRequest(3));
        }
    });

    ASSERT_TRUE(answers.waitFor(3));
    ASSERT_TRUE(queuedInPause);
    std::vector<int> order;
    for (const auto& [number, outcome] : answers.got) {
        order.push_back(number);
        EXPECT_TRUE(outcome.ok()) << number << ' ' << board::problemKind(outcome.problem());
    }
    EXPECT_EQ(order, (std::vector<int> {1, 2, 3}));
    const QByteArray dots = protocol::weatherDotFrame(protocol::kEveryDevice, protocol::DotMatrix {});
    const QByteArray rooms = roomsFrame(smallAreas());
    ASSERT_TRUE(board->waitForBytes(int(temperatures.size() + dots.size() + 2 * rooms.size())));
    EXPECT_EQ(board->received().toHex(' '), (temperatures + dots + rooms + rooms).toHex(' '));
}

TEST_F(SessionOnASerialPort, EditsAreSavedOnlyOnceTheirFramesWentOut)
{
    const std::unique_ptr<board::Session> session = sessionOn(pty.linkA());
    const std::vector<board::FieldEdit> edits {{*storage::fieldForKey(u"weather.low"), QStringLiteral("15")}};

    // Refused edits: nothing is sent, nothing written; a port that cannot be opened: the same.
    const QByteArray before = testsupport::readFile(contentPath);
    const std::unique_ptr<board::Session> nowhere = sessionOn(dir.filePath(QStringLiteral("no-such-tty")));
    Answers answers;
    session->run({board::Command::Rooms, protocol::kEveryDevice,
                  {{*storage::fieldForKey(u"rooms.1"), QStringLiteral("1\n2")}}},
                 answers.forRequest(1));
    nowhere->run({board::Command::Weather, protocol::kEveryDevice, edits}, answers.forRequest(2));
    ASSERT_TRUE(answers.waitFor(2));
    for (const auto& [number, outcome] : answers.got) {
        SCOPED_TRACE(number);
        ASSERT_FALSE(outcome.ok());
        EXPECT_STREQ(board::problemKind(outcome.problem()), number == 1 ? "content-unusable" : "port-unavailable");
    }
    EXPECT_EQ(testsupport::readFile(contentPath), before);
    EXPECT_TRUE(board->received().isEmpty());

    // Sent with the edit; another writer changes a room rate during the weather pause; the save
    // comes after the second frame, into the file as that writer left it.
    storage::BoardContent otherWriter = smallAreas();
    otherWriter.fjValues[1] = QStringLiteral("9999");
    const QByteArray temperatures = *protocol::temperatureFrame(
        protocol::kEveryDevice, storage::displayArea(smallAreas(), storage::Area::Temperature), QStringLiteral("15"),
        QStringLiteral("18"));
    bool written = false;
    board->setOnArrival([&] {
        if (!written && board->received().size() >= temperatures.size()) {
            written = true;
            EXPECT_TRUE(storage::saveContentFile(contentPath, otherWriter).ok);
        }
    });
    session->run({board::Command::Weather, protocol::kEveryDevice, edits}, answers.forRequest(3));
    ASSERT_TRUE(answers.waitFor(3));
    const board::Outcome& sent = answers.got.back().second;
    ASSERT_TRUE(sent.ok()) << board::problemKind(sent.problem());
    ASSERT_TRUE(written);
    EXPECT_EQ(board->received().left(temperatures.size()).toHex(' '), temperatures.toHex(' '));
    storage::BoardContent expected = otherWriter;
    expected.lowTemperature = QStringLiteral("15");
    const storage::DecodeResult saved = storage::loadContentFile(contentPath);
    ASSERT_TRUE(saved.content);
    EXPECT_EQ(storage::encodeRecord(*saved.content), storage::encodeRecord(expected));
    EXPECT_EQ(sent.saved, saved.content);
}

TEST_F(SessionOnASerialPort, LetsGoOfThePortOnceIdleAndOpensItAgainForTheNextRequest)
{
    int ends = 0;
    board::SessionSetup setup;
    setup.idleClose = std::chrono::milliseconds(1);
    setup.ended = [&ends](const board::Outcome& finished) {
        EXPECT_TRUE(finished.ok());
        ++ends;
    };
    const std::unique_ptr<board::Session> session = sessionOn(pty.linkA(), std::move(setup));
    Answers answers;
    for (int round = 1; round <= 2; ++round) {
        session->run({board::Command::Rooms, protocol::kEveryDevice, {}}, answers.forRequest(round));
        ASSERT_TRUE(QTest::qWaitFor([&] { return ends == round; }, kWaitMs));
        EXPECT_FALSE(session->port().isOpen());
        EXPECT_FALSE(session->sending());
    }
    ASSERT_EQ(answers.got.size(), 2u);
    EXPECT_TRUE(answers.got.back().second.ok());
    EXPECT_EQ(board->received().size(), 2 * roomsFrame(smallAreas()).size());
}

// A device server of the test's own: keeps what it reads, and hangs up the first
// hangUps connections as soon as a frame has come, before its line could have carried it.
class TcpDeviceServer : public QObject {
public:
    explicit TcpDeviceServer(int hangUps) : m_hangUps(hangUps)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                const bool hangUp = m_connections++ < m_hangUps;
                connect(socket, &QTcpSocket::readyRead, this, [this, socket, hangUp] {
                    const QByteArray bytes = socket->readAll();
                    if (hangUp) {
                        socket->abort();
                        return;
                    }
                    m_received += bytes;
                });
                connect(socket, &QTcpSocket::readChannelFinished, this, [this, socket] {
                    ++m_endsSeen;
                    socket->disconnectFromHost();
                });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString choice() const { return QStringLiteral("tcp://127.0.0.1:%1").arg(m_server.serverPort()); }
    // What the connections that were not hung up received.
    const QByteArray& received() const { return m_received; }
    int endsSeen() const { return m_endsSeen; }

private:
    QTcpServer m_server;
    int m_hangUps;
    int m_connections = 0;
    QByteArray m_received;
    int m_endsSeen = 0;
};

TEST_F(SessionFixture, OnADeviceServerASendIsDoneOnlyOnceTheEndConfirmedIt)
{
    TcpDeviceServer server(0);
    const std::unique_ptr<board::Session> session = sessionOn(server.choice());
    Answers answers;
    int endsAtAnswer = -1;
    session->run({board::Command::Rooms, protocol::kEveryDevice, {}}, [&](const board::Outcome& outcome) {
        endsAtAnswer = server.endsSeen();
        answers.got.emplace_back(1, outcome);
    });
    ASSERT_TRUE(answers.waitFor(1));
    ASSERT_TRUE(answers.got.front().second.ok());
    EXPECT_EQ(endsAtAnswer, 1) << "answered after the connection's end, not before";
    EXPECT_EQ(server.received(), roomsFrame(smallAreas()));
}

// The first connection goes before the server's line could carry the room rates; the weather
// behind them finds it gone in its pause. The room rates fail, also when the next send
// reconnects and its own end is confirmed.
TEST_F(SessionFixture, OnADeviceServerThatHangsUpASendIsDoneOnlyIfItsOwnConnectionConfirmedIt)
{
    TcpDeviceServer server(1);
    const std::unique_ptr<board::Session> session = sessionOn(server.choice());
    Answers answers;
    session->run({board::Command::Rooms, protocol::kEveryDevice, {}}, answers.forRequest(1));
    session->run({board::Command::Weather, protocol::kEveryDevice, {}}, answers.forRequest(2));
    session->run({board::Command::Rooms, protocol::kEveryDevice, {}}, answers.forRequest(3));
    ASSERT_TRUE(answers.waitFor(3));
    for (const auto& [number, outcome] : answers.got) {
        SCOPED_TRACE(number);
        if (number == 1) {
            ASSERT_FALSE(outcome.ok());
            EXPECT_STREQ(board::problemKind(outcome.problem()), "send-failed");
        }
        if (number == 3 && outcome.ok()) {
            EXPECT_TRUE(server.received().endsWith(roomsFrame(smallAreas()))) << "a send told done arrived";
        }
    }
}

} // namespace
