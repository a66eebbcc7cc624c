#include "share/peer_user.h"

#include <QLocalSocket>

#include <windows.h>

#include <memory>
#include <vector>

namespace share {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// The user SID of a process's token, as the token holds it; empty when it cannot be read.
std::vector<BYTE> tokenUser(HANDLE process)
{
    HANDLE raw = nullptr;
    if (!::OpenProcessToken(process, TOKEN_QUERY, &raw))
        return {};
    const Handle token(raw);
    DWORD size = 0;
    ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !::GetTokenInformation(token.get(), TokenUser, user.data(), size, &size))
        return {};
    return user;
}

bool sameSid(const std::vector<BYTE>& a, const std::vector<BYTE>& b)
{
    if (a.empty() || b.empty())
        return false;
    const auto* first = reinterpret_cast<const TOKEN_USER*>(a.data());
    const auto* second = reinterpret_cast<const TOKEN_USER*>(b.data());
    return ::EqualSid(first->User.Sid, second->User.Sid);
}

} // namespace

bool peerIsThisUser(const QLocalSocket& socket)
{
    ULONG clientId = 0;
    if (!::GetNamedPipeClientProcessId(reinterpret_cast<HANDLE>(socket.socketDescriptor()), &clientId))
        return false;
    const Handle client(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, clientId));
    if (!client)
        return false;
    return sameSid(tokenUser(client.get()), tokenUser(::GetCurrentProcess()));
}

} // namespace share
