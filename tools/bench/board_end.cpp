#include "board_end.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

BoardEnd::~BoardEnd()
{
    if (m_reader.joinable()) {
        (void)!::write(m_stopPipe[1], "x", 1);
        m_reader.join();
    }
    for (int fd : {m_master, m_slave, m_stopPipe[0], m_stopPipe[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool BoardEnd::open()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
        return false;
    m_slavePath = ::ptsname(m_master);
    m_slave = ::open(m_slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_slave < 0)
        return false;
    termios raw{};
    if (::tcgetattr(m_slave, &raw) != 0)
        return false;
    ::cfmakeraw(&raw);
    if (::tcsetattr(m_slave, TCSANOW, &raw) != 0 || ::pipe2(m_stopPipe, O_CLOEXEC) != 0)
        return false;
    m_reader = std::thread([this] { read(); });
    return true;
}

void BoardEnd::expect(long bytes)
{
    const std::lock_guard lock(m_mutex);
    m_expected = bytes;
    m_received = 0;
    m_completedAt.reset();
}

long BoardEnd::received() const
{
    const std::lock_guard lock(m_mutex);
    return m_received;
}

void BoardEnd::read()
{
    // A board reads at once. On a busy machine the program under test may keep its core after
    // writing (the room-rate send goes on to save its file) while this thread waits for one; a
    // real-time priority, where the user may have it, takes the byte's arrival when it happens.
    sched_param realtime{};
    realtime.sched_priority = 1;
    m_realtime = ::pthread_setschedparam(::pthread_self(), SCHED_FIFO, &realtime) == 0;
    pollfd watched[2] = {{m_master, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
    char buffer[4096];
    for (;;) {
        if (::poll(watched, 2, -1) < 0 && errno != EINTR)
            return;
        if (watched[1].revents != 0)
            return;
        ssize_t n;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0) {
            const auto now = Clock::now();
            const std::lock_guard lock(m_mutex);
            m_received += n;
            if (!m_completedAt && m_expected > 0 && m_received >= m_expected) {
                m_completedAt = now;
                m_arrived.notify_all();
            }
        }
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EIO))
            return;
        if (n < 0 && errno == EIO) // no slave open at the moment: wait rather than spin
            ::poll(&watched[1], 1, 1);
    }
}
