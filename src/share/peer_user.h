#pragma once
// Whether the program at the other end of a local socket runs as the same user as this one. The
// socket admits only this user already (QLocalServer::UserAccessOption); the peer is checked too,
// so that a socket handed on by some other means is of no use to another user. False whenever the
// system cannot tell. One implementation per system: peer_user_posix.cpp (the peer's uid),
// peer_user_win.cpp (the user SID of the client process of the named pipe).
class QLocalSocket;

namespace share {

bool peerIsThisUser(const QLocalSocket& socket);

} // namespace share
