#include "stop_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace boardsim {

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

} // namespace boardsim
