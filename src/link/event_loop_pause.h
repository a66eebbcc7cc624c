#pragma once
// A pause for programs without a window: the event loop runs, so the serial line goes on being
// read and watched, and nothing spins.
namespace boardlink {

// Returns once ms milliseconds have passed (at once for ms <= 0, after handling pending events).
void eventLoopPause(int ms);

} // namespace boardlink
