#include "web/daemon_watch.h"

#include <QSocketNotifier>

#include <sys/socket.h>

namespace web {

unsigned DaemonWatch::daemonFlags()
{
    return MHD_USE_EPOLL;
}

void DaemonWatch::shutdownSocket(MHD_socket socket)
{
    ::shutdown(socket, SHUT_RDWR);
}

DaemonWatch::DaemonWatch(MHD_Daemon* daemon, QObject* parent) : QObject(parent), m_daemon(daemon)
{
    const MHD_DaemonInfo* epoll = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_EPOLL_FD);
    auto* notifier = new QSocketNotifier(epoll->epoll_fd, QSocketNotifier::Read, this);
    m_notifiers.emplace(std::pair(epoll->epoll_fd, int(QSocketNotifier::Read)), notifier);
    connect(notifier, &QSocketNotifier::activated, this, &DaemonWatch::ready);
}

DaemonWatch::~DaemonWatch() = default;

// The epoll descriptor covers every socket the library has, now and later.
void DaemonWatch::refresh() {}

} // namespace web
