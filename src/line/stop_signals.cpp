#include "line/stop_signals.h"

#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>
#endif

namespace line {

#ifdef Q_OS_LINUX

namespace {

sigset_t stopSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    return set;
}

} // namespace

void StopSignals::block()
{
    const sigset_t set = stopSet();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

void StopSignals::unblock()
{
    const sigset_t set = stopSet();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

StopSignals::StopSignals(QObject* parent)
    : QObject(parent)
{
    const sigset_t set = stopSet();
    m_fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_fd < 0) {
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignal);
}

StopSignals::~StopSignals()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void StopSignals::readSignal()
{
    signalfd_siginfo info {};
    while (::read(m_fd, &info, sizeof info) == ssize_t(sizeof info))
        emit stopRequested(int(info.ssi_signo));
}

#else

// Without signal descriptors the signals keep their default reaction; this branch is not
// built on the project's Linux machines.
void StopSignals::block() {}
void StopSignals::unblock() {}

StopSignals::StopSignals(QObject* parent)
    : QObject(parent)
{
}

StopSignals::~StopSignals() = default;

void StopSignals::readSignal() {}

#endif

} // namespace line
