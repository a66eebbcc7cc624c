// vorfjp-send through ser2net the way the nightly timer runs it: a short session after another,
// each opening the device server, sending one frame and going. Every session that ends with
// status 0 has put its frame on the line; a server that takes the connection without a serial
// device behind it ends the run with status 74.
#include "support/board_line.h"
#include "support/device_servers.h"
#include "support/hex.h"
#include "support/pty_pair.h"
#include "support/send_process.h"
#include "support/send_table.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

namespace {

struct AccepterRow {
    const char* name;
    const char* accepter; // ser2net's accepter, before its address
    const char* scheme;   // what vorfjp-send's --port takes for it
};

void PrintTo(const AccepterRow& row, std::ostream* out)
{
    *out << row.name;
}

const AccepterRow kAccepters[] = {
    {"Rfc2217", "telnet(rfc2217),tcp", "rfc2217"},
    {"RawTcp", "tcp", "tcp"},
};

// Sessions in a row: enough that a server dropping one in ten is seen, few enough for a
// loaded machine.
constexpr int kSessions = 20;
// How long the frame of a session reported done may take to come out of the line.
constexpr int kFrameArrivalMs = 3000;
constexpr int kProcessMs = 30000;

// The room rates of the documentation's example: 0xFF twice in the frame, which RFC 2217
// doubles on the way.
const sendtable::SendRow& roomRates()
{
    static const std::vector<sendtable::SendRow> rows = sendtable::sendRows();
    return *std::find_if(rows.begin(), rows.end(),
                         [](const sendtable::SendRow& row) { return QByteArray(row.name) == "RoomRatesEightCells"; });
}

class DeviceServerSends : public ::testing::TestWithParam<AccepterRow> {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString contentFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("VorFjp.ini"));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(roomRates().pieces.fileBytes());
        return path;
    }

    QStringList roomsThrough(quint16 port)
    {
        return {QStringLiteral("--port"),
                QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(GetParam().scheme)).arg(port),
                QStringLiteral("--device"),
                QString::fromLatin1(roomRates().device),
                QStringLiteral("--content"),
                contentFile(),
                QStringLiteral("rooms")};
    }

    // Runs vorfjp-send to its end while the event loop keeps the board's end of the line read.
    clitest::SendRun runKeepingTheLineRead(const QStringList& arguments)
    {
        QProcess process;
        send.start(process, arguments);
        clitest::SendRun run;
        if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, kProcessMs)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QTemporaryDir m_dir;
    clitest::SendProcess send;
};

TEST_P(DeviceServerSends, EveryShortSessionPutsItsFrameWholeOnTheLine)
{
    const QByteArray frame = testsupport::hex(roomRates().frames.front());
    PtyPair cable;
    ASSERT_TRUE(cable.start()) << cable.errorString().toStdString();
    e2etest::BoardLine board(cable.linkB());
    ASSERT_TRUE(board.isOpen());
    testsupport::Ser2net server;
    // 9600 in the configuration: over RFC 2217 each session asks for the board's 57600 anew.
    ASSERT_TRUE(server.start(QString::fromLatin1(GetParam().accepter), cable.deviceA(), QStringLiteral("9600n81")))
        << server.errorString().toStdString();
    const QStringList arguments = roomsThrough(server.port());

    int lost = 0;
    for (int session = 0; session < kSessions; ++session) {
        const clitest::SendRun run = runKeepingTheLineRead(arguments);
        ASSERT_EQ(run.exitCode, 0) << "session " << session << ": " << run.err.toStdString();
        // A frame the server dropped never comes; one that comes late stands in for the next
        // session's, so the whole stream is compared at the end as well.
        if (!board.waitForBytes(int((session + 1 - lost) * frame.size()), kFrameArrivalMs))
            ++lost;
    }
    EXPECT_EQ(lost, 0) << "of " << kSessions << " sessions reported done, the line got "
                       << board.received().size() << " bytes";
    EXPECT_EQ(board.received().toHex(' '), frame.repeated(kSessions).toHex(' '));
}

// ser2net takes the connection, cannot open the device behind it, tells the client so in plain
// text and hangs up: nothing reached a line.
TEST_P(DeviceServerSends, ServerWithoutItsDeviceIsAnIoError)
{
    testsupport::Ser2net server;
    ASSERT_TRUE(server.start(QString::fromLatin1(GetParam().accepter), m_dir.filePath(QStringLiteral("no-such-tty")),
                             QStringLiteral("57600n81")))
        << server.errorString().toStdString();
    const QStringList arguments = roomsThrough(server.port());
    const clitest::SendRun run = runKeepingTheLineRead(arguments);
    EXPECT_EQ(run.exitCode, 74) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(arguments[1])) << "names the server: " << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ser2net, DeviceServerSends, ::testing::ValuesIn(kAccepters),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
