#include "link/event_loop_pause.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace boardlink {

void eventLoopPause(int ms)
{
    if (ms <= 0) {
        QCoreApplication::processEvents();
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace boardlink
