#include "share/peer_user.h"

#include <QLocalSocket>

#include <sys/socket.h>
#include <unistd.h>

namespace share {

bool peerIsThisUser(const QLocalSocket& socket)
{
    ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::geteuid();
}

} // namespace share
