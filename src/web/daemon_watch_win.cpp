// Room for the sockets of every connection the server admits, and then some: the library is told
// this size, and winsock's default of 64 is too small.
#define FD_SETSIZE 1024

#include "web/daemon_watch.h"

#include <QSocketNotifier>

#include <set>

namespace web {

unsigned DaemonWatch::daemonFlags()
{
    return 0; // the library's select mode, run from outside
}

void DaemonWatch::shutdownSocket(MHD_socket socket)
{
    ::shutdown(socket, SD_BOTH);
}

DaemonWatch::DaemonWatch(MHD_Daemon* daemon, QObject* parent) : QObject(parent), m_daemon(daemon) {}

DaemonWatch::~DaemonWatch() = default;

void DaemonWatch::refresh()
{
    fd_set reads;
    fd_set writes;
    fd_set errors;
    FD_ZERO(&reads);
    FD_ZERO(&writes);
    FD_ZERO(&errors);
    MHD_socket highest = MHD_INVALID_SOCKET;
    std::set<std::pair<MHD_socket, int>> wanted;
    if (MHD_get_fdset2(m_daemon, &reads, &writes, &errors, &highest, FD_SETSIZE) == MHD_YES) {
        for (u_int i = 0; i < reads.fd_count; ++i)
            wanted.emplace(reads.fd_array[i], int(QSocketNotifier::Read));
        for (u_int i = 0; i < writes.fd_count; ++i)
            wanted.emplace(writes.fd_array[i], int(QSocketNotifier::Write));
    }
    // Notifiers of sockets no longer wanted go after this pass of the event loop: refresh() runs
    // from inside the activation of one of them.
    for (auto it = m_notifiers.begin(); it != m_notifiers.end();) {
        if (wanted.count(it->first) != 0) {
            ++it;
            continue;
        }
        it->second->setEnabled(false);
        it->second->deleteLater();
        it = m_notifiers.erase(it);
    }
    for (const auto& key : wanted) {
        if (m_notifiers.count(key) != 0)
            continue;
        auto* notifier = new QSocketNotifier(qintptr(key.first), QSocketNotifier::Type(key.second), this);
        connect(notifier, &QSocketNotifier::activated, this, &DaemonWatch::ready);
        m_notifiers.emplace(key, notifier);
    }
}

} // namespace web
