#include "net/socket_shutdown.h"

#include <winsock2.h>

namespace net {

void shutdownSocketSending(qintptr socketDescriptor)
{
    ::shutdown(SOCKET(socketDescriptor), SD_SEND);
}

} // namespace net
