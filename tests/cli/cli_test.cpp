// vorfjp-send as scripts run it: the bytes of every command on a real line to the virtual board,
// the dry run against the same table as the window's buttons, the answer to the connection test
// and its absence, and each failure with its exit status and its reason.
#include "serial/port_list.h"
#include "support/device_servers.h"
#include "support/send_process.h"
#include "support/send_table.h"

#include "support/board_line.h"
#include "support/hex.h"
#include "support/pty_pair.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using clitest::SendProcess;
using clitest::SendRun;

using testsupport::hex;

QString hexLine(const char* text)
{
    return QString::fromLatin1(hex(text).toHex(' ').toUpper());
}

class Sending : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString writeContent(const apptest::RecordPieces& pieces)
    {
        return writeBytes(pieces.fileBytes());
    }

    QString writeBytes(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("VorFjp.ini"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        return path;
    }

    QTemporaryDir m_dir;
    SendProcess send;
};

// The virtual board, headless, on a pseudo-terminal of its own; one JSON object per frame.
class VirtualBoard {
public:
    explicit VirtualBoard(const char* id)
    {
        m_process.start(QStringLiteral(BOARDSIM),
                        {QStringLiteral("--headless"), QStringLiteral("--pty"), QStringLiteral("--id"),
                         QString::fromLatin1(id)});
        m_port = QJsonDocument::fromJson(readLine()).object().value(QStringLiteral("pty")).toString();
    }
    ~VirtualBoard()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }

    QString port() const { return m_port; }

    QJsonObject next()
    {
        return QJsonDocument::fromJson(readLine()).object();
    }

private:
    QByteArray readLine()
    {
        while (!m_process.canReadLine()) {
            if (!m_process.waitForReadyRead(10000))
                return {};
        }
        return m_process.readLine();
    }

    QProcess m_process;
    QString m_port;
};

class DryRun : public Sending, public ::testing::WithParamInterface<sendtable::SendRow> {};

TEST_P(DryRun, PrintsTheFramesOfTheTable)
{
    const sendtable::SendRow& row = GetParam();
    const SendRun run = send.run({QStringLiteral("--dry-run"), QStringLiteral("--device"), QString::fromLatin1(row.device),
                                  QStringLiteral("--content"), writeContent(row.pieces),
                                  QString::fromLatin1(row.command)});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QString expected;
    for (const char* frame : row.frames)
        expected += hexLine(frame) + QLatin1Char('\n');
    EXPECT_EQ(run.out, expected);
}

INSTANTIATE_TEST_SUITE_P(Table, DryRun, ::testing::ValuesIn(sendtable::sendRows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Sending, DryRunOfTheClockCarriesTheInstantOfTheRun)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    const SendRun run = send.run({QStringLiteral("--dry-run"), QStringLiteral("--device"), QStringLiteral("7"),
                                  QStringLiteral("time")});
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray frame = QByteArray::fromHex(run.out.trimmed().toLatin1());
    ASSERT_EQ(frame.size(), 14);
    EXPECT_EQ(frame.left(6), hex("02 00 0E 07 EE 20"));
    quint8 check = 0;
    for (int i = 1; i <= 11; ++i)
        check ^= quint8(frame[i]);
    EXPECT_EQ(quint8(frame[12]), check);
    EXPECT_EQ(frame[13], 0x03);
    const QDateTime sent(QDate(2000 + frame[6], frame[7], frame[8]), QTime(frame[9], frame[10], frame[11]));
    EXPECT_GE(sent, before.addMSecs(-before.time().msec()));
    EXPECT_LE(sent, after);
}

TEST_F(Sending, EveryCommandReachesTheBoardInTheOrderGiven)
{
    VirtualBoard board("1");
    ASSERT_TRUE(board.port().startsWith(QLatin1String("/dev/pts/"))) << board.port().toStdString();
    apptest::RecordPieces pieces = sendtable::roomsOfTheExample();
    pieces.areas = "0   8   256 12  40  4   ";
    pieces.weather = apptest::ascii("");
    const SendRun run = send.run({QStringLiteral("--port"), board.port(), QStringLiteral("--device"), QStringLiteral("1"),
                                  QStringLiteral("--content"), writeContent(pieces), QStringLiteral("test"),
                                  QStringLiteral("rooms"), QStringLiteral("rates"), QStringLiteral("weather"),
                                  QStringLiteral("time")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("device 1\n"));
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();

    const char* frames[] = {
        "02 00 09 01 EE 21 01 C6 03",
        "02 00 14 01 EE 25 00 00 00 08 F9 A4 B0 99 FF 12 82 FF 32 03",
        "02 00 18 01 EE 25 01 00 00 0C F9 A4 30 99 92 82 F9 A4 30 80 80 80 D6 03",
        "02 00 10 01 EE 25 00 28 00 04 F9 A4 F9 80 D2 03",
    };
    for (const char* frame : frames) {
        const QJsonObject json = board.next();
        EXPECT_EQ(QByteArray::fromHex(json[QStringLiteral("bytes")].toString().toLatin1()), hex(frame)) << frame;
    }
    const QJsonObject dots = board.next();
    EXPECT_EQ(dots[QStringLiteral("kind")].toString(), QStringLiteral("dots"));
    EXPECT_EQ(QByteArray::fromHex(dots[QStringLiteral("bytes")].toString().toLatin1()),
              hex("02 00 8E 01 EE 29 00 01 C0 00 08 10") + QByteArray(128, '\0') + hex("91 03"));
    const QJsonObject clock = board.next();
    EXPECT_EQ(clock[QStringLiteral("kind")].toString(), QStringLiteral("clock"));
    const QDateTime set = QDateTime::fromString(clock[QStringLiteral("datetime")].toString(), Qt::ISODate);
    EXPECT_LE(qAbs(set.secsTo(QDateTime::currentDateTime())), 5);
}

TEST_F(Sending, TestWithoutAnAnswerEndsWithTempFail)
{
    VirtualBoard board("1");
    // Frames to device 7 are not for this board: it stays silent.
    const SendRun run = send.run({QStringLiteral("--port"), board.port(), QStringLiteral("--device"), QStringLiteral("7"),
                                  QStringLiteral("--timeout"), QStringLiteral("300"), QStringLiteral("test"),
                                  QStringLiteral("time")});
    EXPECT_EQ(run.exitCode, 75);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String("did not answer"))) << run.err.toStdString();
    EXPECT_EQ(board.next()[QStringLiteral("kind")].toString(), QStringLiteral("ignored"));
}

struct FailureRow {
    const char* name;
    QStringList arguments;
    int exitCode;
    const char* reason; // a part of the message
};

void PrintTo(const FailureRow& row, std::ostream* out)
{
    *out << row.name;
}

class Refused : public Sending, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(Refused, WithItsStatusAndReason)
{
    const FailureRow& row = GetParam();
    const SendRun run = send.run(row.arguments);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String(row.reason))) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Usage, Refused,
    ::testing::Values(
        FailureRow{"DeviceAbove255", {"--device", "300", "test"}, 64, "0 to 255"},
        FailureRow{"DeviceNotANumber", {"--device", "abc", "test"}, 64, "\"abc\""},
        FailureRow{"DeviceNegative", {"--device", "-1", "test"}, 64, "\"-1\""},
        FailureRow{"UnknownCommand", {"--dry-run", "clock"}, 64, "\"clock\""},
        FailureRow{"NoCommand", {"--dry-run"}, 64, "at least one command"},
        FailureRow{"TimeoutNotANumber", {"--timeout", "soon", "test"}, 64, "\"soon\""},
        FailureRow{"UnknownOption", {"--colour", "test"}, 64, "colour"},
        FailureRow{"PortNamesNoPort", {"--port", "abc", "time"}, 69, "\"abc\" names no serial port"},
        FailureRow{"PortDoesNotExist", {"--port", "/dev/vorfjp-no-such-port", "time"}, 69, "does not exist"},
        FailureRow{"ContentFileMissing", {"--content", "/nonexistent/VorFjp.ini", "--dry-run", "rooms"}, 65,
                   "/nonexistent/VorFjp.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

// The same list as the window's port box, from the machine's own port information.
TEST_F(Sending, ListPortsPrintsTheMachinesPortsOneALine)
{
    const SendRun run = send.run({QStringLiteral("--list-ports")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    QStringList expected;
    for (const serial::PortEntry& entry : serial::portEntries(serial::machinePorts()))
        expected << entry.path + QLatin1Char('\t') + entry.detail;
    QStringList lines = run.out.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.takeLast(), QString()) << "every line ends with a newline";
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(send.run({QStringLiteral("--list-ports"), QStringLiteral("test")}).exitCode, 64);
}

TEST_F(Sending, DeviceServerThatRefusesIsUnavailable)
{
    const testsupport::RawSocket taken(testsupport::RawSocket::Kind::BoundNotListening);
    ASSERT_TRUE(taken.ok());
    const QString port = QStringLiteral("rfc2217://127.0.0.1:%1").arg(taken.port());
    const SendRun run = send.run({QStringLiteral("--port"), port, QStringLiteral("test")});
    EXPECT_EQ(run.exitCode, 69);
    EXPECT_TRUE(run.err.contains(port)) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

TEST_F(Sending, MalformedContentFileIsNamedWithItsFaultAndNothingIsOpened)
{
    apptest::RecordPieces pieces;
    pieces.areas = "0   32      72  104 4   "; // the exchange-rate address is blank
    const QString path = writeContent(pieces);
    // The port would fail too; the content is checked first.
    const SendRun run = send.run({QStringLiteral("--port"), QStringLiteral("abc"), QStringLiteral("--content"), path,
                                  QStringLiteral("rooms")});
    EXPECT_EQ(run.exitCode, 65);
    EXPECT_TRUE(run.err.contains(path)) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains(QLatin1String("abc"))) << run.err.toStdString();
}

TEST_F(Sending, AreaTheBoardCannotHaveIsAContentFault)
{
    apptest::RecordPieces pieces;
    pieces.areas = "-1  8   0   12  0   4   ";
    const SendRun run = send.run({QStringLiteral("--dry-run"), QStringLiteral("--content"), writeContent(pieces),
                                  QStringLiteral("rates"), QStringLiteral("rooms")});
    EXPECT_EQ(run.exitCode, 65);
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 1) << "the exchange rates went out, the rooms stopped";
    EXPECT_TRUE(run.err.contains(QLatin1String("room-rate"))) << run.err.toStdString();
}

TEST_F(Sending, MessagesFollowAChineseLocaleWhileStandardOutputStaysEnglish)
{
    send.environment().insert(QStringLiteral("LANG"), QStringLiteral("zh_CN.UTF-8"));
    const SendRun bad = send.run({QStringLiteral("--port"), QStringLiteral("abc"), QStringLiteral("time")});
    EXPECT_EQ(bad.exitCode, 69);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("不是串口"))) << bad.err.toStdString();

    VirtualBoard board("5");
    const SendRun found = send.run({QStringLiteral("--port"), board.port(), QStringLiteral("test")});
    EXPECT_EQ(found.exitCode, 0) << found.err.toStdString();
    EXPECT_EQ(found.out, QStringLiteral("device 5\n"));
}

TEST_F(Sending, LineLostDuringTheWeatherPauseIsAnIoError)
{
    PtyPair pty;
    ASSERT_TRUE(pty.start()) << pty.errorString().toStdString();
    e2etest::BoardLine line(pty.linkB());
    ASSERT_TRUE(line.isOpen());
    apptest::RecordPieces pieces;
    pieces.areas = "0   8   256 12  0   4   ";
    QProcess process;
    send.start(process, {QStringLiteral("--port"), pty.linkA(), QStringLiteral("--content"), writeContent(pieces),
                         QStringLiteral("weather"), QStringLiteral("time")});
    ASSERT_TRUE(line.waitForBytes(16, 10000)) << "the temperatures";
    pty.kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(process.exitCode(), 74);
    EXPECT_EQ(line.received().size(), 16) << "neither the dots nor the clock";
    EXPECT_TRUE(process.readAllStandardError().contains("lost"));
}

TEST_F(Sending, NeedsNoDisplayToDrawTheWeather)
{
    const QProcessEnvironment& env = send.environment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        ASSERT_FALSE(env.contains(QString::fromLatin1(name))) << name;
    apptest::RecordPieces pieces; // the weather text of the delivered file
    VirtualBoard board("1");
    const SendRun run = send.run({QStringLiteral("--port"), board.port(), QStringLiteral("--content"),
                                  writeContent(pieces), QStringLiteral("weather")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(board.next()[QStringLiteral("kind")].toString(), QStringLiteral("display-data"));
    const QJsonObject dots = board.next();
    EXPECT_EQ(dots[QStringLiteral("kind")].toString(), QStringLiteral("dots"));
    EXPECT_TRUE(dots[QStringLiteral("rows")].toVariant().toStringList().join(QString()).contains(QLatin1Char('#')))
        << "the text was drawn";
}

} // namespace
