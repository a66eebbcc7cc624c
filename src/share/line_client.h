#pragma once
// The asking side of the window's local socket, for a program without an event loop of its own
// running: each call connects, sends one request and waits for its one response.
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
