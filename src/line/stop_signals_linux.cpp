#include "line/stop_signals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace line {

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

struct StopSignals::Source {
    ~Source()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int fd = -1;
};

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
    : QObject(parent), m_source(std::make_unique<Source>())
{
    const sigset_t set = stopSet();
    m_source->fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_source->fd < 0) {
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    auto* notifier = new QSocketNotifier(m_source->fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info {};
        while (::read(m_source->fd, &info, sizeof info) == ssize_t(sizeof info))
            emit stopRequested(int(info.ssi_signo));
    });
}

StopSignals::~StopSignals() = default;

} // namespace line
