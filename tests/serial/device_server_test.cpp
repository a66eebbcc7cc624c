// VorMsComm against serial device servers on loopback: the virtual board on raw
// TCP, ser2net with an RFC 2217 and a raw accepter in front of the board's
// pseudo-terminal, socat in front of a pseudo-terminal, and sockets that
// refuse, stall or hang up.

#include "protocol/clock.h"
#include "protocol/connection_test.h"
#include "protocol/display_data.h"
#include "protocol/frame.h"
#include "protocol/weather_dots.h"
#include "board/operator_text.h"
#include "serial/vor_ms_comm.h"
#include "support/device_servers.h"
#include "support/event_passes.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using serial::VorMsComm;
using testsupport::HeadlessBoard;
using testsupport::RawSocket;

constexpr quint8 kEveryBoard = protocol::kEveryDevice;
constexpr int kBoardId = 7;

QString tcpChoice(quint16 port)
{
    return QStringLiteral("tcp://127.0.0.1:%1").arg(port);
}

QString rfc2217Choice(quint16 port)
{
    return QStringLiteral("rfc2217://127.0.0.1:%1").arg(port);
}

// One frame of every command, all to device 255, so that 0xFF stands in the
// device byte and, for the dark cells and the lit dots, in the payload.
std::vector<std::pair<const char*, QByteArray>> everyCommand()
{
    std::array<quint8, protocol::kDotBytes> dots {};
    dots.fill(0xFF);
    dots[0] = 0x00;
    const QByteArray darkCells(8, char(0xFF));
    return {
        {"connection test", protocol::connectionTestFrame(kEveryBoard)},
        {"clock", protocol::clockFrame(kEveryBoard, QDateTime(QDate(2012, 5, 23), QTime(20, 14, 6))).value()},
        {"display data", protocol::displayDataFrame(kEveryBoard, {0x00FF, 8}, darkCells).value()},
        {"weather dots", protocol::weatherDotFrame(kEveryBoard, dots)},
    };
}

QByteArray hexOf(const QJsonObject& line)
{
    return QByteArray::fromHex(line.value(QStringLiteral("bytes")).toString().toLatin1());
}

// Receive events of a comm whose threshold is set for the board's reply, as the
// connection test sets it.
class ReplyEvents {
public:
    explicit ReplyEvents(VorMsComm& comm)
        : m_comm(comm)
        , m_events(&comm, &VorMsComm::onComm)
    {
        comm.setRThreshold(protocol::kReplyThreshold);
    }

    // The device number the board's answer to a connection test carries, once it has come.
    std::optional<int> number()
    {
        if (m_events.isEmpty() && !m_events.wait(5000))
            return std::nullopt;
        m_events.clear();
        const std::optional<int> found = protocol::deviceNumberFromReply(m_comm.input());
        m_comm.clearInput();
        return found;
    }

private:
    VorMsComm& m_comm;
    QSignalSpy m_events;
};

struct LineState {
    speed_t speed = 0;
    tcflag_t cflag = 0;
    tcflag_t iflag = 0;
};

std::optional<LineState> lineStateOf(const QString& device)
{
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    termios settings {};
    const int got = ::tcgetattr(fd, &settings);
    ::close(fd);
    if (got != 0)
        return std::nullopt;
    return LineState {::cfgetospeed(&settings), settings.c_cflag, settings.c_iflag};
}

// ser2net in front of the virtual board's pseudo-terminal, the line at 9600 baud
// in its configuration so that only our negotiation can bring it to 57600.
class BehindSer2net : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_board.start({QStringLiteral("--pty"), QStringLiteral("--id"), QString::number(kBoardId)}))
            << m_board.errorString().toStdString();
        m_pty = m_board.firstLine().value(QStringLiteral("pty")).toString();
        ASSERT_TRUE(m_server.start(QString::fromLatin1(GetParam()), m_pty, QStringLiteral("9600n81")))
            << m_server.errorString().toStdString();
    }

    bool telnet() const { return QByteArray(GetParam()).startsWith("telnet"); }
    QString choice() const { return telnet() ? rfc2217Choice(m_server.port()) : tcpChoice(m_server.port()); }

    HeadlessBoard m_board;
    testsupport::Ser2net m_server;
    QString m_pty;
};

TEST_P(BehindSer2net, EveryCommandArrivesExactAndTheBoardAnswers)
{
    VorMsComm comm;
    const auto opened = comm.open(choice());
    ASSERT_TRUE(opened.ok()) << board::openFaultText(opened.fault()).toStdString();
    EXPECT_TRUE(comm.portOpen());
    EXPECT_EQ(comm.portName(), choice());

    ReplyEvents replies(comm);
    for (const auto& [name, frame] : everyCommand()) {
        const auto written = comm.write(frame);
        ASSERT_TRUE(written.ok()) << name << ": " << board::writeFaultText(written.fault()).toStdString();
        EXPECT_EQ(hexOf(m_board.nextObject()).toHex(' '), frame.toHex(' ')) << name;
        if (frame == protocol::connectionTestFrame(kEveryBoard)) {
            EXPECT_EQ(replies.number(), kBoardId) << "the test's answer, with the Telnet commands taken out";
        }
    }
}

TEST_P(BehindSer2net, TelnetAccepterLeavesTheLineAt57600EightNoneOne)
{
    const std::optional<LineState> before = lineStateOf(m_pty);
    VorMsComm comm;
    ASSERT_TRUE(comm.open(choice()).ok());
    ReplyEvents replies(comm);
    // The settings are applied before the data behind them; the test's answer
    // coming back proves they have been.
    ASSERT_TRUE(comm.write(protocol::connectionTestFrame(kEveryBoard)).ok());
    ASSERT_EQ(replies.number(), kBoardId);
    const std::optional<LineState> after = lineStateOf(m_pty);
    ASSERT_TRUE(after);
    if (!telnet()) {
        ASSERT_TRUE(before);
        EXPECT_EQ(after->speed, speed_t(B9600)) << "a raw accepter keeps its configured rate";
        return;
    }
    EXPECT_EQ(after->speed, speed_t(B57600));
    EXPECT_EQ(after->cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(after->cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(after->iflag & (IXON | IXOFF), 0u);
}

INSTANTIATE_TEST_SUITE_P(Accepters, BehindSer2net, ::testing::Values("telnet(rfc2217),tcp", "tcp"),
                         [](const auto& info) {
                             return std::string(QByteArray(info.param).startsWith("telnet") ? "Rfc2217" : "RawTcp");
                         });

TEST(VirtualBoardOnTcp, FramesArriveAndTheTestIsAnswered)
{
    HeadlessBoard board;
    ASSERT_TRUE(board.start({QStringLiteral("--listen"), QStringLiteral("0"), QStringLiteral("--id"),
                             QString::number(kBoardId)}))
        << board.errorString().toStdString();
    ASSERT_EQ(board.firstLine().value(QStringLiteral("kind")).toString(), QStringLiteral("listening"));
    const QString address = board.firstLine().value(QStringLiteral("address")).toString();
    ASSERT_TRUE(address.startsWith(QLatin1String("127.0.0.1:"))) << address.toStdString();

    VorMsComm comm;
    const auto opened = comm.open(QStringLiteral("tcp://") + address);
    ASSERT_TRUE(opened.ok()) << board::openFaultText(opened.fault()).toStdString();
    ReplyEvents replies(comm);
    for (const auto& [name, frame] : everyCommand()) {
        ASSERT_TRUE(comm.write(frame).ok()) << name;
        const QJsonObject seen = board.nextObject();
        EXPECT_EQ(hexOf(seen).toHex(' '), frame.toHex(' ')) << name;
        if (seen.value(QStringLiteral("kind")).toString() == QLatin1String("connection-test")) {
            EXPECT_EQ(replies.number(), kBoardId);
        }
    }
}

TEST(VirtualBoardOnTcp, BoardGoneIsOneLossAndTheNextOpenReconnects)
{
    HeadlessBoard board;
    ASSERT_TRUE(board.start({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")}));
    const QString choice = QStringLiteral("tcp://") + board.firstLine().value(QStringLiteral("address")).toString();
    VorMsComm comm;
    ASSERT_TRUE(comm.open(choice).ok());
    QSignalSpy lost(&comm, &VorMsComm::portLost);
    board.kill();
    ASSERT_TRUE(lost.wait(5000));
    EXPECT_FALSE(comm.portOpen());
    const QString said = board::lossText(lost.at(0).at(0).value<line::LineLoss>());
    EXPECT_TRUE(said.contains(QStringLiteral("断开"))) << said.toStdString();
    EXPECT_TRUE(said.contains(choice)) << said.toStdString();
    testsupport::runEventLoopPasses(); // a second report would come from the same hang-up, at once
    EXPECT_EQ(lost.count(), 1);
    const auto again = comm.write(protocol::connectionTestFrame(kEveryBoard));
    EXPECT_FALSE(again.ok());

    HeadlessBoard next;
    ASSERT_TRUE(next.start({QStringLiteral("--listen"), QStringLiteral("0")}));
    const auto reopened = comm.open(QStringLiteral("tcp://") + next.firstLine().value(QStringLiteral("address")).toString());
    ASSERT_TRUE(reopened.ok()) << board::openFaultText(reopened.fault()).toStdString();
    EXPECT_TRUE(comm.write(protocol::connectionTestFrame(kEveryBoard)).ok());
}

TEST(SocatInFrontOfAPty, BytesPassBothWaysUntouched)
{
    testsupport::SocatTcpPty socat;
    ASSERT_TRUE(socat.start()) << socat.errorString().toStdString();
    VorMsComm comm;
    ASSERT_TRUE(comm.open(tcpChoice(socat.port())).ok());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(socat.ptyLink()); }, 5000));
    QSerialPort far;
    far.setPortName(socat.ptyLink());
    ASSERT_TRUE(far.open(QIODevice::ReadWrite)) << far.errorString().toStdString();

    QByteArray frame = protocol::connectionTestFrame(kEveryBoard);
    for (int value = 0; value < 256; ++value)
        frame.append(char(value));
    ASSERT_TRUE(comm.write(frame).ok());
    QByteArray got;
    EXPECT_TRUE(QTest::qWaitFor([&] { got += far.readAll(); return got.size() >= frame.size(); }, 5000));
    EXPECT_EQ(got.toHex(' '), frame.toHex(' '));

    const QByteArray reply = QByteArray::fromHex("020009EE00210FCD03");
    far.write(reply);
    comm.setRThreshold(protocol::kReplyThreshold);
    QSignalSpy events(&comm, &VorMsComm::onComm);
    ASSERT_TRUE(events.wait(5000));
    EXPECT_EQ(comm.input().toHex(' '), reply.toHex(' '));
}

struct FailedOpenRow {
    const char* name;
    const char* scheme;
    std::optional<line::OpenFailure> failure; // none: the open succeeds
};

class ServerThatHangsUp : public ::testing::TestWithParam<FailedOpenRow> {};

// A server that takes the connection and closes it at once (a port busy with
// another client, for instance) fails the open, with either protocol.
TEST_P(ServerThatHangsUp, FailsTheOpenWithItsReason)
{
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
        while (QTcpSocket* client = server.nextPendingConnection()) {
            client->close();
            client->deleteLater();
        }
    });
    VorMsComm comm;
    const auto opened = comm.open(QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(GetParam().scheme)).arg(server.serverPort()));
    if (!GetParam().failure) {
        // Raw TCP has no handshake to fail; the hang-up is a lost device right after.
        ASSERT_TRUE(opened.ok());
        QSignalSpy lost(&comm, &VorMsComm::portLost);
        EXPECT_TRUE(lost.wait(5000));
        EXPECT_FALSE(comm.portOpen());
        return;
    }
    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(opened.fault().why, *GetParam().failure);
    EXPECT_TRUE(board::openFaultText(opened.fault()).contains(QStringLiteral("关闭了连接"))) << board::openFaultText(opened.fault()).toStdString();
    EXPECT_FALSE(comm.portOpen());
}

INSTANTIATE_TEST_SUITE_P(Rows, ServerThatHangsUp,
                         ::testing::Values(FailedOpenRow {"Rfc2217", "rfc2217", line::OpenFailure::ClosedByServer},
                                           FailedOpenRow {"RawTcp", "tcp", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceServerFailures, RefusedPortFailsWithWhatToDo)
{
    const RawSocket taken(RawSocket::Kind::BoundNotListening);
    ASSERT_TRUE(taken.ok());
    for (const QString& choice : {tcpChoice(taken.port()), rfc2217Choice(taken.port())}) {
        VorMsComm comm;
        const auto opened = comm.open(choice);
        EXPECT_FALSE(opened.ok()) << choice.toStdString();
        EXPECT_EQ(opened.fault().why, line::OpenFailure::Refused) << choice.toStdString();
        EXPECT_TRUE(board::openFaultText(opened.fault()).contains(QStringLiteral("拒绝连接"))) << board::openFaultText(opened.fault()).toStdString();
        EXPECT_TRUE(board::openFaultText(opened.fault()).contains(choice)) << board::openFaultText(opened.fault()).toStdString();
        EXPECT_FALSE(comm.portOpen());
    }
}

TEST(DeviceServerFailures, TelnetServerThatNeverAnswersTimesOut)
{
    // Listens and completes the connection, but says nothing: not a device server.
    const RawSocket silent(RawSocket::Kind::ListeningNeverAccepting);
    ASSERT_TRUE(silent.ok());
    VorMsComm comm;
    QElapsedTimer clock;
    clock.start();
    const auto opened = comm.open(rfc2217Choice(silent.port()));
    EXPECT_FALSE(opened.ok());
    EXPECT_EQ(opened.fault().why, line::OpenFailure::SettingsUnanswered);
    // Told in the operator's words alone: the server's side is no English phrase in the middle.
    const QString told = board::openFaultText(opened.fault());
    EXPECT_FALSE(told.contains(QRegularExpression(QStringLiteral("[A-Za-z]{3,} [a-z]{3,}")))) << told.toStdString();
    EXPECT_TRUE(told.contains(QStringLiteral("没有回应串口参数的设置"))) << told.toStdString();
    EXPECT_GE(clock.elapsed(), line::kConnectTimeout.count() - 50) << "gave up before its time";
    EXPECT_LT(clock.elapsed(), 3 * line::kConnectTimeout.count()) << "hung far past the connect timeout";
    EXPECT_FALSE(comm.portOpen());
}

// A Telnet server that takes up the com port option and, when it answersSettings, answers the
// board's line settings; nothing else, so a query behind the frames stays unanswered. The bytes
// are RFC 2217's.
class CannedComPortServer {
public:
    explicit CannedComPortServer(bool answersSettings)
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, answersSettings] {
            QTcpSocket* client = m_server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, client, [client, answersSettings] {
                const QByteArray got = client->readAll();
                if (got.contains(QByteArray::fromHex("FFFB2C"))) // WILL COM-PORT-OPTION
                    client->write(QByteArray::fromHex("FFFD2C"));
                if (answersSettings && got.contains(QByteArray::fromHex("FFFA2C010000E100FFF0")))
                    client->write(QByteArray::fromHex("FFFA2C650000E100FFF0" "FFFA2C6608FFF0" "FFFA2C6701FFF0"
                                                      "FFFA2C6801FFF0"));
            });
        });
    }

    QString choice() const { return rfc2217Choice(m_server.serverPort()); }

private:
    QTcpServer m_server;
};

TEST(DeviceServerFailures, TelnetServerThatLeavesTheLineSettingsUnansweredDoesNotOpen)
{
    const CannedComPortServer server(false);
    VorMsComm comm;
    const auto opened = comm.open(server.choice());
    ASSERT_FALSE(opened.ok()) << "a server that has not set its line is no open port";
    EXPECT_EQ(opened.fault().why, line::OpenFailure::SettingsUnanswered);
    EXPECT_FALSE(comm.portOpen());
}

TEST(DeviceServerFailures, TelnetServerThatDoesNotConfirmTheFramesFailsTheEnd)
{
    const CannedComPortServer server(true);
    VorMsComm comm;
    ASSERT_TRUE(comm.open(server.choice()).ok());
    ASSERT_TRUE(comm.write(protocol::connectionTestFrame(kEveryBoard)).ok());
    const auto finished = comm.finish();
    ASSERT_FALSE(finished.ok());
    EXPECT_EQ(finished.fault().why, line::WriteFailure::NotConfirmed);
    const QString said = board::writeFaultText(finished.fault());
    EXPECT_TRUE(said.contains(QStringLiteral("没有在"))) << said.toStdString();
    EXPECT_FALSE(comm.portOpen());
}

TEST(DeviceServerFailures, PeerThatNeverReadsFailsTheSendWithinItsBound)
{
    const RawSocket stalled(RawSocket::Kind::ListeningNeverAccepting);
    ASSERT_TRUE(stalled.ok());
    VorMsComm comm;
    ASSERT_TRUE(comm.open(tcpChoice(stalled.port())).ok());
    QSignalSpy lost(&comm, &VorMsComm::portLost);

    // Weather frames, as the window sends them, until the buffers are full.
    std::array<quint8, protocol::kDotBytes> dots {};
    const QByteArray frame = protocol::weatherDotFrame(kEveryBoard, dots);
    auto written = line::Result<line::WriteFault>::done();
    int sends = 0;
    QElapsedTimer clock;
    while (sends < 2000) {
        clock.start();
        written = comm.write(frame);
        ++sends;
        if (!written.ok())
            break;
    }
    ASSERT_FALSE(written.ok()) << sends << " frames all reported done to a peer that reads nothing";
    EXPECT_LT(clock.elapsed(), 3 * line::kWriteTimeout.count()) << "the failed send hung past its bound";
    EXPECT_TRUE(board::writeFaultText(written.fault()).contains(QStringLiteral("没有收下整帧数据"))) << board::writeFaultText(written.fault()).toStdString();
    EXPECT_NE(written.fault().why, line::WriteFailure::Busy);
    EXPECT_FALSE(comm.portOpen()) << "a half-sent frame leaves the connection unusable";
    EXPECT_EQ(lost.count(), 0) << "the send's own failure is the one report";
}

TEST(DeviceServerFailures, ServerClosingMidFrameFailsTheSendAndIsOneLoss)
{
    // Reads the first bytes of the connection, then hangs up with the rest unread.
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QByteArray seen;
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        QTcpSocket* client = server.nextPendingConnection();
        client->setReadBufferSize(64);
        QObject::connect(client, &QTcpSocket::readyRead, client, [&seen, client] {
            seen += client->read(64);
            client->abort();
            client->deleteLater();
        });
    });
    VorMsComm comm;
    ASSERT_TRUE(comm.open(tcpChoice(server.serverPort())).ok());
    QSignalSpy lost(&comm, &VorMsComm::portLost);
    // Larger than every buffer between the two ends, so the frame is still on its way at the hang-up.
    const QByteArray frame(4 << 20, char(0x5A));
    const auto written = comm.write(frame);
    EXPECT_FALSE(written.ok());
    EXPECT_FALSE(seen.isEmpty()) << "the server saw the start of the frame";
    EXPECT_FALSE(comm.portOpen());
    EXPECT_LE(lost.count(), 1);
    EXPECT_TRUE(board::writeFaultText(written.fault()).contains(QStringLiteral("断开")) || board::writeFaultText(written.fault()).contains(QStringLiteral("没有收下")))
        << board::writeFaultText(written.fault()).toStdString();
}

} // namespace
