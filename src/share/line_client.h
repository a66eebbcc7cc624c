#pragma once
// The asking side of the window's local socket: each call connects, sends one request and waits
// for its one response in a line::EventWait, so that the caller's sockets and timers go on being
// served meanwhile (vorfjp-web answers its other clients while the window awaits the board's
// answer to a connection test it lent its port for).
#include "share/line_message.h"

#include <QString>

#include <optional>

namespace share {

struct ClientOutcome {
    std::optional<LineResponse> response; // empty: nobody listens, or the exchange broke off
    bool reached = false;                 // a window was listening
};

// Waits at most waitMs for the response once connected.
ClientOutcome askWindow(const QString& socketPath, const LineRequest& request, int waitMs);

} // namespace share
