#include "app/pub_module.h"

#include "app/command_line.h"
#include "app/main_form.h"
#include "app/single_instance.h"
#include "line/event_wait.h"
#include "share/share_socket.h"
#include "storage/app_name.h"
#include "storage/content_location.h"

#include <QApplication>
#include <QEventLoop>
#include <QTextStream>


namespace PubModule {

int Main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QString::fromUtf16(storage::kApplicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORFJP_VERSION));
    {
        // The command line is answered without connecting to a display, so that --help and
        // --version work on a console and for manual-page generators.
        const QCoreApplication console(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (const app::CommandLineOutcome outcome = app::runCommandLine(QCoreApplication::arguments(), out, err);
            outcome.exitCode)
            return *outcome.exitCode;
    }
    app::SingleInstance instance;
    if (!instance.acquire())
        return 0;

    QApplication application(argc, argv);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VORFJP_APP_ID));
    const storage::ContentFileResult content = storage::contentFileInUse(QCoreApplication::applicationDirPath());
    app::MainForm form({content.path.value_or(QString()), [] { return QDateTime::currentDateTime(); }, {},
                        share::shareSocketPath()});
    if (!content.path) {
        form.showMessage(content.error);
        return 1;
    }
    const int started = app::loadAndShow(form);
    if (started != 0)
        return started;
    return QApplication::exec();
}

void WaitMs(const qint32& ms)
{
    // One pass over the waiting events at least; then until the monotonic clock has moved on by
    // more than ms, blocked in the event loop between events.
    line::EventWait(QEventLoop::AllEvents).pause(QDeadlineTimer(qint64(ms) + 1));
}

} // namespace PubModule
