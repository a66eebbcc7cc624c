#pragma once
// The program's module procedures: start-up and the pause of the weather send sequence.
#include <QtGlobal>

namespace PubModule {

// Runs the program: answers --help, --version and --content-path on the console; otherwise ends
// at once (exit code 0) when another instance runs, or loads the main window from the board
// content file in use (content_location.h) and either shows it or, when the file cannot be
// created or loaded, says why in a message box and returns non-zero.
int Main(int argc, char** argv);

// Waits until more than ms milliseconds have passed on a monotonic clock while the window goes on
// handling its events. Events are processed at least once, also for a negative ms; with 0 it
// returns as soon as the clock has moved. Blocks in the event loop rather than polling.
void WaitMs(const qint32& ms);

} // namespace PubModule
