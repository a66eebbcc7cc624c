#include "cli/send_run.h"

#include "board/operator_text.h"
#include "board/send_text.h"
#include "board/session.h"
#include "board/shared_port.h"
#include "cli/content_run.h"
#include "cli/exit_status.h"
#include "serial/port_choice.h"
#include "serial/port_list.h"
#include "storage/content_file.h"

#include <QCoreApplication>

namespace cli {

using board::SendText;

namespace {

void tell(const board::Problem& problem, QTextStream& err, int& status)
{
    const board::Told told = board::tell(problem);
    err << "vorfjp-send: " << told.sender << Qt::endl;
    status = told.exitStatus;
}

// The frames the commands would send, without any port: the engine on its own, which keeps them.
int dryRun(const SendOptions& options, const board::Draft& draft, const board::WeatherDrawing& draw, QTextStream& out,
           QTextStream& err)
{
    board::FrameRecorder recorder;
    board::EngineSetup setup;
    setup.clock = [] { return QDateTime::currentDateTime(); };
    setup.draw = draw;
    setup.pause = [](std::chrono::milliseconds) {};
    setup.save = [](const storage::BoardContent& sent) { return storage::UpdateResult {sent, false, {}, {}}; };
    board::BoardEngine engine(recorder, std::move(setup));
    for (const board::Command command : options.commands) {
        const board::Outcome outcome = engine.run(command, [&draft] { return draft; });
        for (const QByteArray& frame : recorder.takeFrames())
            out << frame.toHex(' ').toUpper() << Qt::endl;
        if (!outcome.ok()) {
            int status = kDone;
            tell(outcome.problem(), err, status);
            return status;
        }
    }
    return kDone;
}

} // namespace

int listPorts(QTextStream& out)
{
    for (const serial::PortEntry& entry : serial::portEntries(serial::machinePorts()))
        out << entry.path << '\t' << entry.detail << '\n';
    out.flush();
    return kDone;
}

board::WeatherDrawing weatherDrawing(const WeatherModuleLoad& weather)
{
    return [module = weather.module, problem = weather.problem](const QString& text) -> board::Drawn {
        if (!module)
            return {std::nullopt, problem};
        return {module->draw(text), {}};
    };
}

int runSend(const SendOptions& options, const QString& socketPath, const board::WeatherDrawing& draw, QTextStream& out,
            QTextStream& err)
{
    board::Draft draft;
    draft.deviceId = options.deviceId;
    QString contentPath;
    if (std::any_of(options.commands.begin(), options.commands.end(), board::needsContent)) {
        const std::optional<QString> path = contentPathFor(options, err);
        if (!path)
            return kContentUnusable;
        // Read here too, so that a file that cannot be used is told before any port is opened.
        const storage::DecodeResult loaded = storage::loadContentFile(*path);
        if (!loaded.content) {
            err << "vorfjp-send: " << SendText::tr("The content file %1 cannot be used:").arg(*path) << ' '
                << loaded.error << Qt::endl;
            return kContentUnusable;
        }
        draft.content = *loaded.content;
        contentPath = *path;
    }
    if (options.dryRun)
        return dryRun(options, draft, draw, out, err);
    if (options.commands.empty())
        return kDone;

    int status = kDone;
    board::SessionSetup setup;
    setup.contentPath = contentPath;
    setup.draw = draw;
    setup.answerWait = std::chrono::milliseconds(options.timeoutMs);
    // The commands are queued together: the port's session ends once the last one is through,
    // and its end must have got the last frames to the board.
    setup.idleClose = std::chrono::milliseconds(0);
    setup.ended = [&err, &status](const board::Outcome& finished) {
        // The problem that stopped the run is what the user is told, not how the end went.
        if (status == kDone && !finished.ok())
            tell(finished.problem(), err, status);
        QCoreApplication::exit(status);
    };
    board::Session session(std::make_unique<board::SharedPort>(
                               [&options] { return options.port.value_or(serial::loadPortChoice()); }, socketPath),
                           std::move(setup));
    for (const board::Command command : options.commands) {
        session.run({command, options.deviceId, {}}, [&](const board::Outcome& outcome) {
            if (status != kDone)
                return;
            if (!outcome.ok()) {
                tell(outcome.problem(), err, status);
                session.dropQueued();
                return;
            }
            if (const std::optional<int> device = outcome.deviceNumber())
                out << "device " << *device << Qt::endl;
        });
    }
    return QCoreApplication::exec();
}

} // namespace cli
