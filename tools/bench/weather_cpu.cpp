// weather_cpu [sends] [content file]: how much processor time the weather send costs.
// Shows the main window offscreen over a copy of the delivered content file, with its port on a
// pseudo-terminal whose far end this program drains, presses "发送天气预报" the given number of
// times (5 by default) and prints the process's processor time (user + system) per send and as a
// share of one core over the wall time of the sends. For comparison the same is measured for a
// pause that spins on processEvents() for 1000 ms, as a polling wait would.
#include "app/main_form.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <unistd.h>

namespace {

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void measure(const char* what, int times, const std::function<void()>& step)
{
    QElapsedTimer wall;
    const double cpuBefore = cpuSeconds();
    wall.start();
    for (int i = 0; i < times; ++i)
        step();
    const double cpu = cpuSeconds() - cpuBefore;
    const double wallSeconds = double(wall.nsecsElapsed()) / 1e9;
    std::printf("%-34s %2d x  wall %6.3f s  cpu %7.1f ms each  %5.1f %% of one core\n", what, times,
                wallSeconds / times, 1000.0 * cpu / times, 100.0 * cpu / wallSeconds);
}

// The board's end of the line: a pseudo-terminal master whose bytes are read and counted.
struct BoardEnd {
    int master = -1;
    int slave = -1; // held open so the master never sees a hang-up between the program's opens
    QString slavePath;
    qint64 received = 0;
};

bool openBoardEnd(BoardEnd& end)
{
    end.master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (end.master < 0 || ::grantpt(end.master) != 0 || ::unlockpt(end.master) != 0)
        return false;
    end.slavePath = QString::fromLocal8Bit(::ptsname(end.master));
    end.slave = ::open(::ptsname(end.master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    return end.slave >= 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int sends = argc > 1 ? std::atoi(argv[1]) : 5;
    const QString delivered = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(DELIVERED_CONTENT_FILE);
    if (sends < 1) {
        std::fprintf(stderr, "usage: weather_cpu [sends] [content file]\n");
        return 2;
    }

    // The content file and the port choice live in a folder of their own.
    QTemporaryDir dir;
    const QString contentPath = dir.filePath(QStringLiteral("VorFjp.ini"));
    if (!dir.isValid() || !QFile::copy(delivered, contentPath)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(delivered));
        return 1;
    }
    QFile::setPermissions(contentPath, QFile::ReadOwner | QFile::WriteOwner);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());

    BoardEnd board;
    if (!openBoardEnd(board)) {
        std::perror("pseudo-terminal");
        return 1;
    }
    QSocketNotifier boardReader(board.master, QSocketNotifier::Read);
    QObject::connect(&boardReader, &QSocketNotifier::activated, &boardReader, [&board] {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(board.master, buffer, sizeof buffer)) > 0)
            board.received += n;
    });

    // A message box would wait for a click for ever: report it and close it.
    int messages = 0;
    QTimer boxCloser;
    QObject::connect(&boxCloser, &QTimer::timeout, &boxCloser, [&messages] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            std::fprintf(stderr, "message: %s\n", qPrintable(box->text()));
            ++messages;
            box->done(QMessageBox::Ok);
        }
    });
    boxCloser.start(250);

    app::MainForm form(app::MainFormOptions{contentPath, {}, {}});
    if (app::loadAndShow(form) != 0)
        return 1;
    form.findChild<QComboBox*>(QStringLiteral("RsCombo"))->setEditText(board.slavePath);
    auto* send = form.findChild<QPushButton*>(QStringLiteral("TxtSendCommand"));

    send->click(); // warm-up: opens the port, loads the font
    measure("weather send (WaitMs 1000)", sends, [send] { send->click(); });
    measure("spinning wait, 1000 ms", sends, [] {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() <= 1000)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    });
    QCoreApplication::processEvents();

    constexpr qint64 kBytesPerSend = 16 + 142; // temperature frame and weather dot frame, four cells
    std::printf("bytes on the line: %lld (expected %lld), messages: %d\n", static_cast<long long>(board.received),
                static_cast<long long>((sends + 1) * kBytesPerSend), messages);
    ::close(board.slave);
    return messages == 0 ? 0 : 1;
}
