// boardsim: stands in for the LED board on a serial line and shows what a send
// puts on the wall.

#include "board_layout.h"
#include "board_session.h"
#include "board_window.h"
#include "frame_report.h"
#include "options.h"
#include "pty_line.h"
#include "serial_line.h"
#include "stdout_lines.h"
#include "line/stop_signals.h"
#include "tcp_line.h"
#include "storage/content_file.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHostAddress>
#include <QJsonObject>

#include <cstdio>
#include <memory>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "boardsim: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    line::StopSignals::block();
    const bool headless = boardsim::wantsHeadless(argc, argv);
    std::unique_ptr<QCoreApplication> app = headless ? std::make_unique<QCoreApplication>(argc, argv)
                                                     : std::make_unique<QApplication>(argc, argv);
    // Named as installed, for --version.
    QCoreApplication::setApplicationName(QStringLiteral("vorfjp-boardsim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORFJP_VERSION));

    const boardsim::ParsedOptions parsed = boardsim::parseOptions(QCoreApplication::arguments());
    if (!parsed.error.isEmpty())
        return fail(parsed.error + QStringLiteral(" (see --help)"));
    const boardsim::Options& options = parsed.options;

    std::optional<boardsim::BoardLayout> contentLayout;
    if (!options.contentFile.isEmpty()) {
        const storage::DecodeResult loaded = storage::loadContentFile(options.contentFile);
        if (!loaded.content)
            return fail(loaded.error);
        contentLayout = boardsim::contentLayout(*loaded.content);
    }

    boardsim::StdoutLines out;
    std::unique_ptr<boardsim::Line> line;
    QString lineName = options.device;
    if (options.pty) {
        boardsim::PtyLine::Created created = boardsim::PtyLine::create(options.link);
        if (!created.line)
            return fail(created.error);
        lineName = options.link.isEmpty() ? created.line->slavePath() : options.link;
        // Headless output is JSON lines only, so that a reader can parse every line alike.
        if (headless)
            out.write(QJsonObject {{QStringLiteral("kind"), QStringLiteral("line")},
                                   {QStringLiteral("pty"), created.line->slavePath()}});
        else
            out.write(created.line->slavePath().toLocal8Bit());
        line = std::move(created.line);
    } else if (options.listenPort) {
        QHostAddress host;
        if (!host.setAddress(options.listenHost))
            return fail(QStringLiteral("--listen needs a numeric address, not %1").arg(options.listenHost));
        auto tcp = std::make_unique<boardsim::TcpLine>();
        const QString error = tcp->listen(host, *options.listenPort);
        if (!error.isEmpty())
            return fail(error);
        lineName = QStringLiteral("tcp://") + tcp->address();
        if (headless)
            out.write(QJsonObject {{QStringLiteral("kind"), QStringLiteral("listening")},
                                   {QStringLiteral("address"), tcp->address()}});
        else
            out.write(tcp->address().toLocal8Bit());
        line = std::move(tcp);
    } else {
        auto serial = std::make_unique<boardsim::SerialLine>();
        const QString error = serial->open(options.device);
        if (!error.isEmpty())
            return fail(error);
        line = std::move(serial);
    }

    boardsim::BoardSession session(options.deviceId, *line);
    line::StopSignals stop;
    QObject::connect(&stop, &line::StopSignals::stopRequested, app.get(), [](int) { QCoreApplication::quit(); });

    std::unique_ptr<boardsim::BoardWindow> window;
    if (headless) {
        const boardsim::BoardLayout layout = contentLayout.value_or(boardsim::BoardLayout {});
        QObject::connect(&session, &boardsim::BoardSession::frameHandled, app.get(),
                         [&out, layout](const protocol::DecodedFrame& frame, const protocol::FrameEffect& effect,
                                        const QDateTime& at) { out.write(boardsim::frameJson(frame, effect, at, layout)); });
        QObject::connect(&session, &boardsim::BoardSession::bytesRejected, app.get(),
                         [&out](const protocol::RejectedRun& run, const QDateTime& at) {
                             out.write(boardsim::rejectJson(run, at));
                         });
        QObject::connect(&session, &boardsim::BoardSession::replyFailed, app.get(), [](const QByteArray& reply) {
            std::fprintf(stderr, "boardsim: could not send the reply %s\n", qPrintable(boardsim::hexBytes(reply)));
        });
        QObject::connect(line.get(), &boardsim::Line::failed, app.get(), [](const QString& reason) {
            std::fprintf(stderr, "boardsim: %s\n", qPrintable(reason));
            QCoreApplication::exit(1);
        });
    } else {
        window = std::make_unique<boardsim::BoardWindow>(session, contentLayout, lineName);
        QObject::connect(line.get(), &boardsim::Line::failed, window.get(), [&window](const QString& reason) {
            window->note(QStringLiteral("line failed: ") + reason);
        });
        window->show();
    }
    return app->exec();
}
