#include "app/pub_module.h"

#include "app/main_form.h"
#include "app/single_instance.h"
#include "share/share_socket.h"
#include "storage/app_name.h"
#include "storage/content_file.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <limits>

namespace PubModule {

int Main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QString::fromUtf16(storage::kApplicationName));
    app::SingleInstance instance;
    if (!instance.acquire())
        return 0;

    QApplication application(argc, argv);
    app::MainForm form({storage::contentFileInUse(), [] { return QDateTime::currentDateTime(); },
                        {}, share::shareSocketPath()});
    const int started = app::loadAndShow(form);
    if (started != 0)
        return started;
    return QApplication::exec();
}

void WaitMs(const qint32& ms)
{
    QElapsedTimer clock;
    clock.start();
    // Wakes the event loop just after the deadline when nothing else happens before it.
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    do {
        const qint64 left = qint64(ms) - clock.elapsed();
        if (left < 0) {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        } else {
            deadline.start(int(qMin<qint64>(left + 1, std::numeric_limits<int>::max())));
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    } while (clock.elapsed() <= qint64(ms));
}

} // namespace PubModule
