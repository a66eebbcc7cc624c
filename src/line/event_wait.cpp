#include "line/event_wait.h"

#include <QCoreApplication>
#include <QTimer>

#include <limits>

namespace line {

EventWait::EventWait(QEventLoop::ProcessEventsFlags flags) : m_flags(flags) {}

bool EventWait::until(const std::function<bool()>& done, QDeadlineTimer deadline)
{
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    QObject::connect(&wake, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        wake.start(int(qMin<qint64>(deadline.remainingTime(), std::numeric_limits<int>::max())));
        m_loop.exec(m_flags);
    }
    return true;
}

void EventWait::pause(QDeadlineTimer deadline)
{
    QCoreApplication::processEvents(m_flags);
    until([] { return false; }, deadline);
}

} // namespace line
