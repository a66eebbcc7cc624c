#pragma once
// For checks that something happens only once: whatever would repeat on every pass of the event
// loop (a read error left standing, a notifier that stays active, a report queued again) shows up
// as many times as the loop is run here, with no quiet time to guess.
#include <QCoreApplication>
#include <QEventLoop>

namespace testsupport {

inline void runEventLoopPasses(int passes = 50)
{
    for (int pass = 0; pass < passes; ++pass)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace testsupport
