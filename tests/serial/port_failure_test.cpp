// Open failures that only show for an ordinary user: a device node without
// access rights, and a port held in exclusive mode (root passes through both).
// The opening is done by a helper program run as the user "nobody".
#include "serial/vor_ms_comm.h"
#include "support/pty_pair.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using serial::VorMsComm;

struct ProbeAnswer {
    std::optional<line::OpenFailure> failure; // none: opened
    QString reason;
};

class AsOrdinaryUser : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "needs root to run the opening as another user";
        m_setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (m_setpriv.isEmpty())
            GTEST_SKIP() << "setpriv (util-linux) is not installed";
        ASSERT_TRUE(m_pty.start()) << m_pty.errorString().toStdString();
        removeStaleLock(m_pty.deviceA());
    }

    // A program that was killed while it held this pseudo-terminal number left its lock file, as
    // root, in a folder where only the owner may remove it: the other user's open would fail on
    // that, not on the rights this test is about. A lock whose process is gone is nobody's.
    static void removeStaleLock(const QString& device)
    {
        const QString lock = QStringLiteral("/run/lock/LCK..") + device.mid(QStringLiteral("/dev/").size()).replace(u'/', u'_');
        QFile file(lock);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const qint64 pid = file.readLine().trimmed().toLongLong();
        file.close();
        if (pid > 0 && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(lock);
    }

    // Opens `port` as nobody with no supplementary groups (so not in dialout).
    ProbeAnswer openAsNobody(const QString& port)
    {
        QProcess probe;
        probe.start(m_setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                QStringLiteral("--clear-groups"), QStringLiteral(SERIAL_PORT_PROBE),
                                QStringLiteral("open"), port});
        EXPECT_TRUE(probe.waitForFinished(10000));
        const QList<QByteArray> lines = probe.readAllStandardOutput().split('\n');
        EXPECT_GE(lines.size(), 2) << probe.readAllStandardError().toStdString()
                                   << " (can nobody run the build folder's programs?)";
        if (lines.size() < 2)
            return {line::OpenFailure::Other, {}};
        if (lines[0] == "opened")
            return {std::nullopt, {}};
        return {line::OpenFailure(lines[0].toInt()), QString::fromUtf8(lines[1])};
    }

    void setMode(const QString& path, mode_t mode)
    {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    }

    PtyPair m_pty;
    QString m_setpriv;
};

TEST_F(AsOrdinaryUser, DeviceWithoutAccessRightsNamesTheDialoutGroup)
{
    setMode(m_pty.deviceA(), 0);
    const ProbeAnswer answer = openAsNobody(m_pty.deviceA());
    EXPECT_EQ(answer.failure, line::OpenFailure::NoPermission) << answer.reason.toStdString();
    EXPECT_TRUE(answer.reason.contains(QStringLiteral("dialout"))) << answer.reason.toStdString();
    EXPECT_TRUE(answer.reason.contains(QStringLiteral("sudo usermod -aG dialout $USER")))
        << answer.reason.toStdString();
    EXPECT_TRUE(answer.reason.contains(QStringLiteral("重新登录"))) << answer.reason.toStdString();
}

TEST_F(AsOrdinaryUser, AccessibleDeviceOpens)
{
    setMode(m_pty.deviceA(), 0666);
    const ProbeAnswer answer = openAsNobody(m_pty.deviceA());
    EXPECT_EQ(answer.failure, std::nullopt) << answer.reason.toStdString();
}

TEST_F(AsOrdinaryUser, PortHeldInExclusiveModeIsInUse)
{
    // The holder opens the link and the other user the node behind it: the
    // lock files differ, so only the terminal's exclusive mode stops the second.
    setMode(m_pty.deviceA(), 0666);
    VorMsComm holder;
    ASSERT_TRUE(holder.open(m_pty.linkA()).ok());
    const ProbeAnswer answer = openAsNobody(m_pty.deviceA());
    EXPECT_EQ(answer.failure, line::OpenFailure::InUse) << answer.reason.toStdString();
    EXPECT_TRUE(answer.reason.contains(QStringLiteral("占用"))) << answer.reason.toStdString();
}

} // namespace
