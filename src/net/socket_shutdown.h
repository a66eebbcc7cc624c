#pragma once
// Ends the sending half of a connected socket (the peer reads the end of the stream) while its
// receiving half stays open. QTcpSocket has no call for it. One implementation per system:
// socket_shutdown_posix.cpp, socket_shutdown_win.cpp.
#include <QtGlobal>

namespace net {

void shutdownSocketSending(qintptr socketDescriptor);

} // namespace net
