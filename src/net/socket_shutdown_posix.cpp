#include "net/socket_shutdown.h"

#include <sys/socket.h>

namespace net {

void shutdownSocketSending(qintptr socketDescriptor)
{
    ::shutdown(int(socketDescriptor), SHUT_WR);
}

} // namespace net
