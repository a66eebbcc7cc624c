// Windows has no pseudo-terminals: the virtual board takes a COM port (a pair from a null-modem
// emulator, say) or listens on TCP there.
#include "pty_line.h"

namespace boardsim {

PtyLine::Created PtyLine::create(const QString&)
{
    return {nullptr, QStringLiteral("--pty needs Linux; on Windows give a COM port, or --listen")};
}

PtyLine::~PtyLine() = default;

bool PtyLine::send(const QByteArray&)
{
    return false;
}

} // namespace boardsim
