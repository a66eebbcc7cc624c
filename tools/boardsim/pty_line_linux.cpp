#include "pty_line.h"

#include "serial/line_settings.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace boardsim {

namespace {

QString systemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

constexpr speed_t termiosSpeed(qint32 baud)
{
    return baud == 57600 ? B57600 : B0;
}
static_assert(termiosSpeed(serial::kBaudRate) != B0, "the board's baud rate has a termios speed");

// cfmakeraw() gives 8 data bits, no parity and 1 stop bit, the board's line.
bool makeRaw(int fd)
{
    termios settings {};
    if (tcgetattr(fd, &settings) != 0)
        return false;
    cfmakeraw(&settings);
    cfsetispeed(&settings, termiosSpeed(serial::kBaudRate));
    cfsetospeed(&settings, termiosSpeed(serial::kBaudRate));
    return tcsetattr(fd, TCSANOW, &settings) == 0;
}

QString makeLink(const QString& linkPath, const QString& target)
{
    const QFileInfo existing(linkPath);
    if (existing.isSymLink()) {
        if (!QFile::remove(linkPath))
            return QStringLiteral("cannot replace the link %1").arg(linkPath);
    } else if (existing.exists()) {
        return QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(linkPath);
    }
    if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(linkPath).constData()) != 0)
        return systemError("symlink");
    return {};
}

} // namespace

PtyLine::Created PtyLine::create(const QString& linkPath)
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return {nullptr, systemError("posix_openpt")};
    const auto fail = [master](const char* what) {
        Created created {nullptr, systemError(what)};
        ::close(master);
        return created;
    };
    if (::grantpt(master) != 0)
        return fail("grantpt");
    if (::unlockpt(master) != 0)
        return fail("unlockpt");
    char name[128];
    if (::ptsname_r(master, name, sizeof name) != 0)
        return fail("ptsname");
    const int flags = ::fcntl(master, F_GETFL);
    if (flags < 0 || ::fcntl(master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    if (slave < 0)
        return fail("open slave");
    if (!makeRaw(slave)) {
        Created created = fail("raw mode");
        ::close(slave);
        return created;
    }
    const QString slavePath = QString::fromLocal8Bit(name);
    if (!linkPath.isEmpty()) {
        const QString error = makeLink(linkPath, slavePath);
        if (!error.isEmpty()) {
            ::close(slave);
            ::close(master);
            return {nullptr, error};
        }
    }
    return {std::unique_ptr<PtyLine>(new PtyLine(master, slave, slavePath, linkPath)), {}};
}

PtyLine::PtyLine(int master, int slave, const QString& slavePath, const QString& linkPath)
    : m_master(master)
    , m_slave(slave)
    , m_slavePath(slavePath)
    , m_linkPath(linkPath)
    , m_notifier(new QSocketNotifier(master, QSocketNotifier::Read, this))
{
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyLine::readAvailable);
}

PtyLine::~PtyLine()
{
    m_notifier->setEnabled(false);
    // Remove the link only while it still leads to this line's slave.
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).symLinkTarget() == m_slavePath)
        QFile::remove(m_linkPath);
    ::close(m_slave);
    ::close(m_master);
}

bool PtyLine::send(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += written;
    }
    return true;
}

void PtyLine::readAvailable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(m_master, buffer, sizeof buffer);
        if (got > 0) {
            emit received(QByteArray(buffer, got));
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        m_notifier->setEnabled(false);
        emit failed(got == 0 ? QStringLiteral("pseudo-terminal closed") : systemError("read"));
        return;
    }
}

} // namespace boardsim
