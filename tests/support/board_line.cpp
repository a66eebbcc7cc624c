#include "support/board_line.h"

#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace e2etest {

BoardLine::BoardLine(const QString& device)
{
    m_clock.start();
    m_fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0)
        return;
    termios settings{};
    if (::tcgetattr(m_fd, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(m_fd, TCSANOW, &settings);
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { readWaiting(); });
}

BoardLine::~BoardLine()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void BoardLine::readWaiting()
{
    char buffer[4096];
    const std::size_t before = m_arrivals.size();
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            m_arrivals.push_back({m_clock.elapsed(), QByteArray(buffer, int(n))});
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            m_notifier->setEnabled(false); // the other end is gone
        break;
    }
    // Only once the read is over: the hook may write to this line or take the line away.
    if (m_arrivals.size() > before && m_onArrival)
        m_onArrival();
}

QByteArray BoardLine::received() const
{
    QByteArray all;
    for (const Arrival& arrival : m_arrivals)
        all += arrival.bytes;
    return all;
}

bool BoardLine::waitForBytes(int count, int timeoutMs)
{
    return QTest::qWaitFor([&] { return received().size() >= count; }, timeoutMs);
}

namespace {

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

bool BoardLine::write(const QByteArray& bytes)
{
    return writeAll(m_fd, bytes);
}

bool writeIntoProgramEnd(const QString& device, const QByteArray& bytes)
{
    const int fd = ::open(device.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    ::close(fd);
    return written;
}

} // namespace e2etest
