#pragma once
// How the HTTP server learns that the library has work, and the library's socket calls that
// differ between systems. The library runs on the Qt thread, driven by the event loop:
// - Linux: the library keeps one epoll descriptor for all its sockets; a read notifier on it
//   says when to run (daemon_watch_linux.cpp).
// - Windows has no epoll: after every run the watch follows the sockets the library wants to
//   read or write with a notifier each (daemon_watch_win.cpp).
//   DaemonWatch watch(daemon, owner);           // after MHD_start_daemon(daemonFlags() | ...)
//   connect(&watch, &DaemonWatch::ready, owner, [&] { MHD_run(daemon); watch.refresh(); });
#include <QObject>

#include <microhttpd.h> // and with it the system's socket headers (winsock on Windows)
#ifndef _WIN32
#include <netinet/in.h> // sockaddr_in; winsock brings it along
#endif

#include <map>
#include <utility>

class QSocketNotifier;

namespace web {

class DaemonWatch : public QObject {
    Q_OBJECT
public:
    // The flags MHD_start_daemon needs for this kind of watch.
    static unsigned daemonFlags();
    // Shuts a connection's socket both ways; the library notices at its next run.
    static void shutdownSocket(MHD_socket socket);

    DaemonWatch(MHD_Daemon* daemon, QObject* parent);
    ~DaemonWatch() override;

    // After every run of the library: takes up the sockets it wants watched now.
    void refresh();

signals:
    // The library has something to do: run it.
    void ready();

private:
    MHD_Daemon* m_daemon;
    // Linux: the one epoll notifier. Windows: one per socket and direction.
    std::map<std::pair<MHD_socket, int>, QSocketNotifier*> m_notifiers;
};

} // namespace web
