#include "board/operator_text.h"
#include "serial/vor_ms_comm.h"
#include "support/event_passes.h"
#include "support/pty_pair.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using serial::VorMsComm;
using Event = VorMsComm::CommEvent;

// The connection test frame for device 255, as it must appear on the line.
const QByteArray kTestFrame = QByteArray::fromHex("020009FFEE21FFC603");

// One end of a socat pseudo-terminal pair for VorMsComm, the other end ("far")
// for the test, standing where the board would be.
class PtyLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_pty.start()) << m_pty.errorString().toStdString();
        m_far.setPortName(m_pty.linkB());
        ASSERT_TRUE(m_far.open(QIODevice::ReadWrite)) << m_far.errorString().toStdString();
    }

    QByteArray readFar(int count)
    {
        QByteArray got;
        const QDeadlineTimer deadline(3000);
        while (got.size() < count && !deadline.hasExpired()) {
            if (m_far.bytesAvailable() > 0 || m_far.waitForReadyRead(100))
                got += m_far.readAll();
        }
        return got;
    }

    void sendFar(const QByteArray& bytes)
    {
        ASSERT_EQ(m_far.write(bytes), bytes.size());
        ASSERT_TRUE(m_far.waitForBytesWritten(3000));
    }

    // Lets the event loop run until the comm has fetched `count` bytes.
    static bool waitUntilWaiting(const VorMsComm& comm, int count)
    {
        return QTest::qWaitFor([&] { return comm.inBufferCount() >= count; }, 3000);
    }

    PtyPair m_pty;
    QSerialPort m_far;
};

TEST_F(PtyLine, OpensAt57600Baud8N1WithoutFlowControl)
{
    VorMsComm comm;
    const auto result = comm.open(m_pty.linkA());
    ASSERT_TRUE(result.ok()) << board::openFaultText(result.fault()).toStdString();
    EXPECT_TRUE(comm.portOpen());

    // Read the line settings back from the device itself. Only root may open a
    // terminal held in exclusive mode.
    const int fd = ::open(QFile::encodeName(m_pty.deviceA()).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        GTEST_SKIP() << "the port is held exclusively; its settings can be read back only as root";
    termios settings {};
    const int got = ::tcgetattr(fd, &settings);
    ::close(fd);
    ASSERT_EQ(got, 0);
    EXPECT_EQ(::cfgetospeed(&settings), speed_t(B57600));
    EXPECT_EQ(::cfgetispeed(&settings), speed_t(B57600));
    EXPECT_EQ(settings.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(settings.c_cflag & PARENB, 0u);
    EXPECT_EQ(settings.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(settings.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(PtyLine, FrameArrivesByteExact)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    // Every byte value, among them CR, LF, XON, XOFF and 0x00, must pass untouched.
    QByteArray frame = kTestFrame;
    for (int value = 0; value < 256; ++value)
        frame.append(char(value));

    const auto written = comm.write(frame);
    ASSERT_TRUE(written.ok()) << board::writeFaultText(written.fault()).toStdString();
    EXPECT_EQ(readFar(frame.size()).toHex(' '), frame.toHex(' '));
}

// A far end that stops reading: frames are done while the driver takes them;
// the first one it cannot take within the bound fails, without passing for a
// lost device; the port is closed so that no tail of it follows once the far
// end reads again, and the frames done before all arrive.
TEST_F(PtyLine, StalledLineFailsTheFrameItCannotTakeButIsNoLostDevice)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    QSignalSpy lost(&comm, &VorMsComm::portLost);
    m_pty.pause();
    QByteArray sent;
    auto written = line::Result<line::WriteFault>::done();
    // A pseudo-terminal holds a few kilobytes; 200 frames of 1000 bytes are far more.
    for (int i = 0; i < 200; ++i) {
        const QByteArray frame(1000, char('A' + i % 26));
        written = comm.write(frame);
        if (!written.ok())
            break;
        sent += frame;
    }
    ASSERT_FALSE(written.ok()) << "a line that takes nothing cannot finish every frame";
    EXPECT_NE(written.fault().why, line::WriteFailure::Busy);
    EXPECT_TRUE(board::writeFaultText(written.fault()).contains(QStringLiteral("没有发完"))) << board::writeFaultText(written.fault()).toStdString();
    EXPECT_EQ(lost.count(), 0);
    EXPECT_FALSE(comm.portOpen()) << "closed, so that the rest of the frame never follows";

    // A marker written into the program's end after the failure: everything the port had put on
    // the line arrives ahead of it.
    const QByteArray marker("\x01<end>\x01");
    const int programEnd = ::open(m_pty.linkA().toLocal8Bit().constData(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(programEnd, 0);
    m_pty.resume();
    QByteArray got;
    qsizetype markerWritten = 0;
    const bool markerCame = QTest::qWaitFor(
        [&] {
            got += m_far.readAll();
            // The terminal may still be full; the marker goes in as room is made.
            if (markerWritten < marker.size()) {
                const ssize_t n = ::write(programEnd, marker.constData() + markerWritten, size_t(marker.size() - markerWritten));
                if (n > 0)
                    markerWritten += n;
            }
            return got.contains(marker);
        },
        10000);
    ::close(programEnd);
    ASSERT_TRUE(markerCame) << got.size() << " bytes came, but not the marker";
    got.truncate(got.indexOf(marker));
    EXPECT_TRUE(got.startsWith(sent)) << got.size() << " of " << sent.size() << " bytes, or in another order";
    EXPECT_LT(got.size(), sent.size() + 1000) << "the failed frame must not follow in full";
    EXPECT_EQ(lost.count(), 0);

    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    const auto after = comm.write(kTestFrame);
    EXPECT_TRUE(after.ok()) << board::writeFaultText(after.fault()).toStdString();
}

TEST_F(PtyLine, OpeningTwiceInARowReopens)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    const auto again = comm.open(m_pty.linkA());
    ASSERT_TRUE(again.ok()) << board::openFaultText(again.fault()).toStdString();
    EXPECT_TRUE(comm.portOpen());
    ASSERT_TRUE(comm.write(kTestFrame).ok());
    EXPECT_EQ(readFar(kTestFrame.size()), kTestFrame);
}

TEST_F(PtyLine, FailedOpenLeavesThePortClosed)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    const QString missing = QStringLiteral("/dev/ttyVorFJPAbsent");
    const auto result = comm.open(missing);
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.fault().why, line::OpenFailure::NoSuchDevice);
    EXPECT_TRUE(board::openFaultText(result.fault()).contains(missing)) << board::openFaultText(result.fault()).toStdString();
    EXPECT_TRUE(board::openFaultText(result.fault()).contains(QStringLiteral("找不到"))) << board::openFaultText(result.fault()).toStdString();
    EXPECT_FALSE(comm.portOpen());
}

TEST_F(PtyLine, PortHeldByAnotherControlIsInUse)
{
    VorMsComm holder;
    ASSERT_TRUE(holder.open(m_pty.linkA()).ok());
    VorMsComm comm;
    const auto result = comm.open(m_pty.linkA());
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.fault().why, line::OpenFailure::InUse);
    EXPECT_TRUE(board::openFaultText(result.fault()).contains(QStringLiteral("占用"))) << board::openFaultText(result.fault()).toStdString();
    EXPECT_TRUE(holder.portOpen());
}

TEST_F(PtyLine, PortHeldByAnotherProgramIsInUse)
{
    QProcess other;
    other.start(QStringLiteral(SERIAL_PORT_PROBE), {QStringLiteral("hold"), m_pty.linkA()});
    ASSERT_TRUE(other.waitForReadyRead(5000)) << "the other program did not report";
    ASSERT_EQ(other.readLine().trimmed(), "opened") << "the other program could not open the port";

    VorMsComm comm;
    const auto result = comm.open(m_pty.linkA());
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.fault().why, line::OpenFailure::InUse) << board::openFaultText(result.fault()).toStdString();

    other.closeWriteChannel();
    ASSERT_TRUE(other.waitForFinished(5000));
    const auto afterwards = comm.open(m_pty.linkA());
    EXPECT_TRUE(afterwards.ok()) << board::openFaultText(afterwards.fault()).toStdString();
}

TEST_F(PtyLine, ThresholdZeroRaisesNoEvent)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    ASSERT_EQ(comm.rThreshold(), 0);
    QSignalSpy events(&comm, &VorMsComm::onComm);
    sendFar(QByteArray(20, 'x'));
    ASSERT_TRUE(waitUntilWaiting(comm, 20));
    EXPECT_EQ(events.count(), 0);
}

TEST_F(PtyLine, ReplyInTwoBurstsRaisesOneEventWhenComplete)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    comm.setRThreshold(9);
    QList<int> waitingAtEvent;
    QObject::connect(&comm, &VorMsComm::onComm, &comm, [&](Event event) {
        EXPECT_EQ(event, Event::Receive);
        waitingAtEvent.append(comm.inBufferCount());
        comm.clearInput();
    });
    const QByteArray reply = QByteArray::fromHex("020009EE002105C303");

    sendFar(reply.left(5));
    ASSERT_TRUE(waitUntilWaiting(comm, 5));
    EXPECT_TRUE(waitingAtEvent.isEmpty());

    sendFar(reply.mid(5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !waitingAtEvent.isEmpty(); }, 3000));
    EXPECT_EQ(waitingAtEvent, QList<int> {9});
    EXPECT_EQ(comm.inBufferCount(), 0);
}

TEST_F(PtyLine, InputTakesEveryWaitingByte)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    comm.setRThreshold(9);
    QByteArray taken;
    QObject::connect(&comm, &VorMsComm::onComm, &comm, [&](Event) {
        taken += comm.input();
        comm.clearInput();
    });
    const QByteArray burst = QByteArray::fromHex("020009EE002105C30302000A");
    sendFar(burst);
    ASSERT_TRUE(QTest::qWaitFor([&] { return taken.size() >= burst.size(); }, 3000));
    EXPECT_EQ(taken.toHex(' '), burst.toHex(' '));
}

TEST_F(PtyLine, BytesSentBeforeTheOpenAreNotTakenForAReply)
{
    // Held open (and never read) only to see the stale bytes waiting in the terminal before the open.
    const int watcher = ::open(m_pty.linkA().toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(watcher, 0);
    const QByteArray stale("stale bytes");
    sendFar(stale);
    const bool staleWaiting = QTest::qWaitFor(
        [&] {
            int waiting = 0;
            return ::ioctl(watcher, FIONREAD, &waiting) == 0 && waiting == stale.size();
        },
        5000);
    VorMsComm comm;
    const bool opened = comm.open(m_pty.linkA()).ok();
    ::close(watcher);
    ASSERT_TRUE(staleWaiting) << "socat never passed the stale bytes on";
    ASSERT_TRUE(opened);
    comm.setRThreshold(1);
    QSignalSpy events(&comm, &VorMsComm::onComm);
    EXPECT_EQ(comm.inBufferCount(), 0);

    // Had the stale bytes survived the open, they would come before these, in the first event.
    sendFar("fresh");
    ASSERT_TRUE(events.wait(5000));
    EXPECT_EQ(comm.input(), QByteArray("fresh"));
}

TEST_F(PtyLine, ClearInputEmptiesTheBuffer)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    sendFar("0123456789");
    ASSERT_TRUE(waitUntilWaiting(comm, 10));
    comm.clearInput();
    EXPECT_EQ(comm.inBufferCount(), 0);
    EXPECT_TRUE(comm.input().isEmpty());

    sendFar("AB");
    ASSERT_TRUE(waitUntilWaiting(comm, 2));
    EXPECT_EQ(comm.input(), QByteArray("AB"));
}

TEST_F(PtyLine, BytesArrivingDuringTheHandlerDoNotReenterIt)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    comm.setRThreshold(9);
    int depth = 0;
    int deepest = 0;
    int calls = 0;
    QList<QByteArray> takenPerCall;
    QObject::connect(&comm, &VorMsComm::onComm, &comm, [&](Event) {
        ++calls;
        deepest = qMax(deepest, ++depth);
        takenPerCall.append(comm.input());
        if (calls == 1) {
            // As a modal message box would: the event loop runs while more
            // than a threshold's worth of bytes arrives.
            sendFar(QByteArray(12, 'y'));
            EXPECT_TRUE(waitUntilWaiting(comm, 12));
        }
        comm.clearInput();
        --depth;
    });

    sendFar(QByteArray(9, 'x'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls >= 1; }, 5000));
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(comm.inBufferCount(), 0);

    // The handler is free again for the next reply, and nothing of the bytes it discarded came
    // back as an event of its own in between.
    sendFar(QByteArray(9, 'z'));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !takenPerCall.isEmpty() && takenPerCall.last().contains('z'); }, 5000));
    EXPECT_EQ(takenPerCall, (QList<QByteArray> {QByteArray(9, 'x'), QByteArray(9, 'z')}));
    EXPECT_EQ(deepest, 1);
}

TEST_F(PtyLine, PeerVanishingClosesThePortOnce)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    comm.setRThreshold(9);
    QSignalSpy lost(&comm, &VorMsComm::portLost);
    QSignalSpy events(&comm, &VorMsComm::onComm);

    m_far.close();
    m_pty.kill();
    ASSERT_TRUE(lost.wait(5000));
    testsupport::runEventLoopPasses(); // a read error left alone would repeat on every pass
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(comm.portOpen());
    EXPECT_EQ(lost.first().first().value<line::LineLoss>().port, m_pty.linkA()) << "names the port it lost";
    EXPECT_EQ(events.count(), 0);

    const auto written = comm.write(kTestFrame);
    EXPECT_FALSE(written.ok());
    EXPECT_FALSE(board::writeFaultText(written.fault()).isEmpty());
    EXPECT_EQ(lost.count(), 1);
}

TEST_F(PtyLine, ReopensCleanlyAfterTheDeviceWasLost)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    comm.setRThreshold(9);
    int lostCalls = 0;
    QObject::connect(&comm, &VorMsComm::portLost, &comm, [&] {
        ++lostCalls;
        testsupport::runEventLoopPasses(); // the operator reads a modal message meanwhile
    });
    m_far.close();
    m_pty.kill();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lostCalls > 0; }, 3000));

    PtyPair second;
    ASSERT_TRUE(second.start()) << second.errorString().toStdString();
    QSerialPort far;
    far.setPortName(second.linkB());
    ASSERT_TRUE(far.open(QIODevice::ReadWrite));
    QByteArray taken;
    QObject::connect(&comm, &VorMsComm::onComm, &comm, [&](Event) {
        taken = comm.input();
        comm.clearInput();
    });
    const auto reopened = comm.open(second.linkA());
    ASSERT_TRUE(reopened.ok()) << board::openFaultText(reopened.fault()).toStdString();
    EXPECT_EQ(comm.inBufferCount(), 0);

    const QByteArray reply = QByteArray::fromHex("020009EE002105C303");
    far.write(reply);
    ASSERT_TRUE(far.waitForBytesWritten(3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !taken.isEmpty(); }, 3000));
    EXPECT_EQ(taken.toHex(' '), reply.toHex(' '));
    EXPECT_EQ(lostCalls, 1);
}

TEST_F(PtyLine, WriteRightAfterThePeerVanishedFails)
{
    VorMsComm comm;
    ASSERT_TRUE(comm.open(m_pty.linkA()).ok());
    QSignalSpy lost(&comm, &VorMsComm::portLost);

    m_far.close();
    m_pty.kill(); // no event is processed before the write
    const auto written = comm.write(kTestFrame);
    EXPECT_FALSE(written.ok());
    EXPECT_FALSE(board::writeFaultText(written.fault()).isEmpty());
    EXPECT_EQ(lost.count(), 1);
    EXPECT_FALSE(comm.portOpen());
    testsupport::runEventLoopPasses(); // a hang-up noticed again by the event loop would report twice
    EXPECT_EQ(lost.count(), 1);
}

TEST(VorMsCommClosed, WriteFailsWithAReason)
{
    VorMsComm comm;
    const auto written = comm.write(kTestFrame);
    EXPECT_FALSE(written.ok());
    EXPECT_FALSE(board::writeFaultText(written.fault()).isEmpty());
    EXPECT_EQ(comm.inBufferCount(), 0);
    EXPECT_TRUE(comm.input().isEmpty());
    comm.clearInput();
    comm.close();
    EXPECT_FALSE(comm.portOpen());
}

} // namespace
