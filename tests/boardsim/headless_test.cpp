// Runs the real boardsim on a pseudo-terminal and talks to it as the program would.
#include "support/hex.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

using testsupport::hex;

class HeadlessBoard : public ::testing::Test {
protected:
    void start(const QStringList& extra = {})
    {
        m_process.setProgram(QStringLiteral(VORFJP_BINARY_DIR "/tools/boardsim/boardsim"));
        m_process.setArguments(QStringList {QStringLiteral("--headless"), QStringLiteral("--pty")} + extra);
        m_process.start();
        ASSERT_TRUE(m_process.waitForStarted(5000));
        const QJsonObject line = readJson();
        ASSERT_EQ(line.value(QStringLiteral("kind")).toString(), QStringLiteral("line"));
        m_slavePath = line.value(QStringLiteral("pty")).toString();
        ASSERT_TRUE(m_slavePath.startsWith(QLatin1String("/dev/pts/"))) << m_slavePath.toStdString();
        m_fd = ::open(QFile::encodeName(m_slavePath).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(m_fd, 0);
    }

    void TearDown() override
    {
        if (m_fd >= 0)
            ::close(m_fd);
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            m_process.waitForFinished(5000);
        }
    }

    QByteArray readLine()
    {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(5000))
                return {};
        }
        return m_process.readLine();
    }

    QJsonObject readJson()
    {
        const QByteArray line = readLine();
        EXPECT_TRUE(line.endsWith('\n')) << "each object ends its line";
        return QJsonDocument::fromJson(line).object();
    }

    void send(const QByteArray& bytes)
    {
        ASSERT_EQ(::write(m_fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    }

    QByteArray receive(qsizetype count)
    {
        QByteArray got;
        while (got.size() < count) {
            pollfd p {m_fd, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0)
                break;
            char buffer[64];
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.append(buffer, n);
        }
        return got;
    }

    QProcess m_process;
    QString m_slavePath;
    int m_fd = -1;
};

TEST_F(HeadlessBoard, ReportsEachFrameAsOneJsonLine)
{
    start({QStringLiteral("--id"), QStringLiteral("5")});

    send(hex("02 00 14 01 EE 25 00 00 00 08 F9 A4 B0 99 FF 12 82 FF 32 03"));
    QJsonObject json = readJson();
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("ignored")) << "device 1 is not this board";
    EXPECT_EQ(json[QStringLiteral("device")].toInt(), 1);

    send(hex("02 00 10 FF EE 25 00 28 00 04 F9 A4 F9 80 2C 03"));
    json = readJson();
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("display-data"));
    EXPECT_EQ(json[QStringLiteral("address")].toInt(), 40);
    EXPECT_EQ(json[QStringLiteral("cells")].toString(), QStringLiteral("F9 A4 F9 80"));
    EXPECT_EQ(json[QStringLiteral("text")].toString(), QStringLiteral("1218"));

    send(hex("02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03"));
    json = readJson();
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("clock"));
    EXPECT_EQ(json[QStringLiteral("datetime")].toString(), QStringLiteral("2012-05-23T20:14:06"));

    QByteArray dots = hex("02 00 8E FF EE 29 00 01 C0 00 08 10") + QByteArray(128, '\0') + hex("6F 03");
    dots[12 + 8] = char(0x80);                 // (0, 1)
    dots[140] = char(0x6F ^ 0x80);
    send(dots);
    json = readJson();
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("dots"));
    const QJsonArray rows = json[QStringLiteral("rows")].toArray();
    ASSERT_EQ(rows.size(), 16);
    EXPECT_EQ(rows[0].toString(), QString(64, u'.'));
    EXPECT_EQ(rows[1].toString(), QStringLiteral("#") + QString(63, u'.'));

    send(hex("AA 02 00 09 05 EE 21 05 C7 03"));
    json = readJson();
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("rejected"));
    EXPECT_EQ(json[QStringLiteral("bytes")].toString(), QStringLiteral("AA"));
    json = readJson();
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("rejected"));
    EXPECT_TRUE(json[QStringLiteral("reason")].toString().contains(QLatin1String("check byte")));
}

TEST_F(HeadlessBoard, AnswersTheConnectionTestOnTheLine)
{
    start({QStringLiteral("--id"), QStringLiteral("5")});
    send(hex("02 00 09 FF EE 21 FF C6 03"));
    const QJsonObject json = readJson();
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("connection-test"));
    EXPECT_EQ(receive(9), hex("02 00 09 EE 00 21 05 C3 03"));
}

TEST_F(HeadlessBoard, GivesUpOnAHalfFrameWhenTheLineFallsIdle)
{
    start();
    send(hex("02 00 20 01 EE 25"));   // announces 32 bytes, sends 6
    const QJsonObject json = readJson();
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("rejected"));
    EXPECT_EQ(json[QStringLiteral("bytes")].toString(), QStringLiteral("02 00 20 01 EE 25"));
    EXPECT_TRUE(json[QStringLiteral("reason")].toString().contains(QLatin1String("cut short")));
}

TEST_F(HeadlessBoard, KeepsItsLinkOnlyWhileRunning)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("board"));
    start({QStringLiteral("--link"), link});
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), m_slavePath);
    m_process.terminate();
    ASSERT_TRUE(m_process.waitForFinished(5000));
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

// socat joins two pseudo-terminals back to back: boardsim opens one as a serial
// device through QSerialPort, the test writes into the other.
TEST(SerialDeviceBoard, ServesADeviceGivenByPath)
{
    QProcess socat;
    socat.setProcessChannelMode(QProcess::MergedChannels);
    socat.start(QStringLiteral("socat"), {QStringLiteral("-d"), QStringLiteral("-d"), QStringLiteral("pty,raw,echo=0"),
                                          QStringLiteral("pty,raw,echo=0")});
    if (!socat.waitForStarted(5000))
        GTEST_SKIP() << "socat is not installed";
    QStringList ends;
    QByteArray log;
    while (ends.size() < 2 && socat.waitForReadyRead(5000)) {
        log += socat.readAll();
        ends.clear();
        for (const QByteArray& line : log.split('\n')) {
            const qsizetype at = line.indexOf("PTY is ");
            if (at >= 0)
                ends.append(QString::fromLocal8Bit(line.mid(at + 7).trimmed()));
        }
    }
    ASSERT_EQ(ends.size(), 2) << log.toStdString();

    QProcess board;
    board.start(QStringLiteral(VORFJP_BINARY_DIR "/tools/boardsim/boardsim"),
                {QStringLiteral("--headless"), QStringLiteral("--id"), QStringLiteral("3"), ends[0]});
    ASSERT_TRUE(board.waitForStarted(5000));
    const int fd = ::open(QFile::encodeName(ends[1]).constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    // The board says nothing until it is spoken to and may still be opening its end: the test
    // frame is repeated until the board answers, each time after a quarter of a second without
    // an answer, for as long as a slow start may take.
    QByteArray line;
    const QDeadlineTimer deadline(20000);
    while (line.isEmpty() && !deadline.hasExpired()) {
        const QByteArray test = hex("02 00 09 03 EE 21 03 C6 03");
        ASSERT_EQ(::write(fd, test.constData(), size_t(test.size())), test.size());
        if (board.canReadLine() || board.waitForReadyRead(250)) {
            if (board.canReadLine() || board.waitForReadyRead(5000))
                line = board.readLine();
        }
    }
    const QJsonObject json = QJsonDocument::fromJson(line).object();
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("connection-test"));
    EXPECT_EQ(json[QStringLiteral("reply")].toString(), QStringLiteral("02 00 09 EE 00 21 03 C5 03"));
    ::close(fd);
    board.terminate();
    board.waitForFinished(5000);
    socat.terminate();
    socat.waitForFinished(5000);
}

TEST(HeadlessBoardStart, RefusesToReplaceAFileThatIsNotALink)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("precious"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();
    QProcess process;
    process.start(QStringLiteral(VORFJP_BINARY_DIR "/tools/boardsim/boardsim"),
                  {QStringLiteral("--headless"), QStringLiteral("--pty"), QStringLiteral("--link"), path});
    ASSERT_TRUE(process.waitForFinished(5000));
    EXPECT_NE(process.exitCode(), 0);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("keep me"));
}

// A consumer such as jq reads every line of the headless output as JSON, the
// first one included.
TEST(HeadlessBoardStart, EveryLineIsJsonFromTheFirst)
{
    QProcess process;
    process.start(QStringLiteral(VORFJP_BINARY_DIR "/tools/boardsim/boardsim"),
                  {QStringLiteral("--headless"), QStringLiteral("--pty")});
    ASSERT_TRUE(process.waitForStarted(5000));
    while (!process.canReadLine())
        ASSERT_TRUE(process.waitForReadyRead(5000));
    QJsonParseError error {};
    const QJsonDocument first = QJsonDocument::fromJson(process.readLine(), &error);
    EXPECT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(first.object().value(QStringLiteral("kind")).toString(), QStringLiteral("line"));
    EXPECT_TRUE(first.object().value(QStringLiteral("pty")).toString().startsWith(QLatin1String("/dev/pts/")));
    process.terminate();
    process.waitForFinished(5000);
}

TEST(HeadlessBoardOnTcp, AnswersOneClientAndTurnsASecondAway)
{
    QProcess process;
    process.start(QStringLiteral(VORFJP_BINARY_DIR "/tools/boardsim/boardsim"),
                  {QStringLiteral("--headless"), QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
                   QStringLiteral("--id"), QStringLiteral("3")});
    ASSERT_TRUE(process.waitForStarted(5000));
    while (!process.canReadLine())
        ASSERT_TRUE(process.waitForReadyRead(5000));
    const QJsonObject listening = QJsonDocument::fromJson(process.readLine()).object();
    ASSERT_EQ(listening.value(QStringLiteral("kind")).toString(), QStringLiteral("listening"));
    const QString address = listening.value(QStringLiteral("address")).toString();
    ASSERT_TRUE(address.startsWith(QLatin1String("127.0.0.1:"))) << address.toStdString();
    const quint16 port = quint16(address.section(QLatin1Char(':'), -1).toUInt());
    ASSERT_NE(port, 0);

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(client.waitForConnected(5000));
    client.write(hex("02 00 09 03 EE 21 03 C6 03"));
    QByteArray reply;
    while (reply.size() < 9 && client.waitForReadyRead(5000))
        reply += client.readAll();
    EXPECT_EQ(reply.toHex(' '), "02 00 09 ee 00 21 03 c5 03");

    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(second.waitForConnected(5000));
    EXPECT_TRUE(second.state() == QAbstractSocket::UnconnectedState || second.waitForDisconnected(5000))
        << "a second program on the same line would mix its frames into the first one's";
    process.terminate();
    process.waitForFinished(5000);
}

} // namespace
