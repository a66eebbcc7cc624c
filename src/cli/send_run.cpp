#include "cli/send_run.h"

#include "board/overloaded.h"
#include "board/session.h"
#include "board/shared_port.h"
#include "cli/content_run.h"
#include "cli/exit_status.h"
#include "cli/send_text.h"
#include "serial/port_choice.h"
#include "serial/port_list.h"
#include "storage/content_file.h"

#include <QCoreApplication>

namespace cli {

namespace {

QString areaName(storage::Area area)
{
    switch (area) {
    case storage::Area::Rooms:
        return SendText::tr("room-rate");
    case storage::Area::Rates:
        return SendText::tr("exchange-rate");
    case storage::Area::Temperature:
        break;
    }
    return SendText::tr("temperature");
}

QString openWords(const line::OpenFault& fault)
{
    const QString& port = fault.port;
    switch (fault.why) {
    case line::OpenFailure::NotAPortChoice:
        return SendText::tr("\"%1\" names no serial port: give a port number (1 to %2), the full path of a serial "
                            "device, or a device server as tcp://HOST:PORT or rfc2217://HOST:PORT.")
            .arg(port)
            .arg(serial::kListedPortNumbers);
    case line::OpenFailure::NoSuchDevice:
        return SendText::tr("The serial port %1 does not exist: check the cable or adapter and the port given.").arg(port);
    case line::OpenFailure::InUse:
        return SendText::tr("The serial port %1 is in use by another program: close it and try again.").arg(port);
    case line::OpenFailure::NoPermission:
        return SendText::tr("No permission to open the serial port %1: add the user to the dialout group and log in "
                            "again.")
            .arg(port);
    case line::OpenFailure::Refused:
        return SendText::tr("The serial device server %1 refused the connection: check its address and port and that "
                            "it runs.")
            .arg(port);
    case line::OpenFailure::UnknownHost:
        return SendText::tr("The host of the serial device server %1 is unknown: check its name, or give its IP "
                            "address.")
            .arg(port);
    case line::OpenFailure::TimedOut:
        return SendText::tr("The serial device server %1 did not answer within %2 s (%3): check the network and its "
                            "address.")
            .arg(port)
            .arg(line::wholeSeconds(line::kConnectTimeout))
            .arg(fault.detail);
    case line::OpenFailure::SettingsUnanswered:
        return SendText::tr("The serial device server %1 took the connection but did not answer the line settings "
                            "within %2 s (%3): check that it speaks RFC 2217, or set the port on the server and use "
                            "tcp://.")
            .arg(port)
            .arg(line::wholeSeconds(line::kConnectTimeout))
            .arg(fault.detail);
    case line::OpenFailure::ClosedByServer:
        return SendText::tr("The serial device server %1 took the connection and closed it: it cannot open its "
                            "serial device, or another client holds it. Check the server's device and settings, "
                            "then send again.")
            .arg(port);
    case line::OpenFailure::NotADeviceServer:
        return SendText::tr("The serial device server %1 did not set its port to %2 baud 8N1 (%3): check that it "
                            "speaks RFC 2217, or set the port on the server and use tcp://.")
            .arg(port)
            .arg(line::kBaudRate)
            .arg(fault.detail);
    case line::OpenFailure::Busy:
    case line::OpenFailure::Other:
        break;
    }
    return SendText::tr("The serial port %1 cannot be opened: %2.").arg(port, fault.detail);
}

QString writeWords(const line::WriteFault& fault)
{
    switch (fault.why) {
    case line::WriteFailure::HungUp:
        return SendText::tr("The line to the board was lost (%1): check the cable and the serial device.")
            .arg(fault.port);
    case line::WriteFailure::ServerLost:
        return SendText::tr("The serial device server %1 closed the connection before its line could carry the "
                            "frames: it may not have its serial device open, or another client took it. Check the "
                            "server and its device, then send again.")
            .arg(fault.port);
    case line::WriteFailure::NotConfirmed:
        return SendText::tr("The serial device server %1 did not confirm within %2 s that it had read the frames: "
                            "check the server and the board behind it, then send again.")
            .arg(fault.port)
            .arg(line::wholeSeconds(line::kWriteTimeout));
    case line::WriteFailure::NotAccepted:
        return SendText::tr("The frame was not sent: %1 did not take it whole (%2).").arg(fault.port, fault.detail);
    case line::WriteFailure::NotDrained:
        return SendText::tr("The serial port %1 did not get the frame out within %2 s, %3 bytes were left: check "
                            "the cable and that the board receives.")
            .arg(fault.port)
            .arg(line::wholeSeconds(line::kWriteTimeout))
            .arg(fault.left);
    case line::WriteFailure::ServerNotTaking:
        return SendText::tr("The serial device server %1 did not take the frame within %2 s: check the server and "
                            "the board behind it.")
            .arg(fault.port)
            .arg(line::wholeSeconds(line::kWriteTimeout));
    case line::WriteFailure::Busy:
        return SendText::tr("The port %1 was busy with another frame: try again.").arg(fault.port);
    case line::WriteFailure::NoFrame:
    case line::WriteFailure::NotOpen:
        break;
    }
    return SendText::tr("The frame was not sent: the port %1 was not open (%2).").arg(fault.port, fault.detail);
}

struct Said {
    int status;
    QString words;
};

Said sayProblem(const board::Problem& problem)
{
    const QString weatherNotSent = SendText::tr("The temperatures were sent, the weather text was not.");
    return std::visit(
        board::Overloaded {
            [](const board::AreaUnusable& unusable) {
                return Said {kContentUnusable,
                             SendText::tr("The %1 area of the content file (\"%2\") is not one the board can have: "
                                          "address %3, length %4; both must lie within 0 to %5.")
                                 .arg(areaName(unusable.area), unusable.storedText)
                                 .arg(unusable.value.address)
                                 .arg(unusable.value.length)
                                 .arg(protocol::kMaxAreaField)};
            },
            [](const board::PortUnavailable& unavailable) {
                // A server that took the connection was reached: its line is what failed.
                const bool reached = unavailable.fault.why == line::OpenFailure::ClosedByServer;
                return Said {reached ? kLineFailed : kUnavailable, openWords(unavailable.fault)};
            },
            [&](const board::SendFailed& failed) {
                QString words = writeWords(failed.fault);
                if (failed.temperaturesSent)
                    words += u' ' + weatherNotSent;
                return Said {kLineFailed, words};
            },
            [&](const board::LineLost& lost) {
                QString words = SendText::tr("The line to the board was lost (%1): check the cable and the serial "
                                             "device.")
                                    .arg(lost.loss.detail.isEmpty() ? lost.loss.port : lost.loss.detail);
                if (lost.temperaturesSent)
                    words += u' ' + weatherNotSent;
                return Said {kLineFailed, words};
            },
            [&](const board::PortClosedInPause&) {
                return Said {kLineFailed, SendText::tr("The port was closed during the weather pause.") + u' ' + weatherNotSent};
            },
            [](const board::TestWaiting&) {
                return Said {kUnavailable, SendText::tr("The window is waiting for the board's answer to another "
                                                        "connection test: try again in a moment.")};
            },
            [](const board::NoAnswer& silent) {
                return Said {kNoAnswer, SendText::tr("The board did not answer the connection test within %1 ms.")
                                            .arg(silent.waited.count())};
            },
            [&](const board::FontMissing& missing) { return Said {kUnavailable, missing.hint + u' ' + weatherNotSent}; },
            [](const board::ContentUnusable& unusable) {
                QString words = SendText::tr("The content file %1 cannot be used:")
                                    .arg(QString::fromLatin1(storage::kContentFileName));
                if (!unusable.error.isEmpty())
                    words += u' ' + unusable.error;
                for (const board::EditError& refused : unusable.refused)
                    words += u' ' + refused.key;
                return Said {kContentUnusable, words};
            },
            [](const board::ClockInvalid&) {
                return Said {kUnavailable, SendText::tr("The computer's clock gives no valid local time.")};
            },
            [](const board::SaveFailed& failed) { return Said {kLineFailed, failed.error}; },
            [](const board::Withdrawn&) { return Said {kLineFailed, QString()}; },
        },
        problem);
}

void tell(const board::Problem& problem, QTextStream& err, int& status)
{
    const Said said = sayProblem(problem);
    err << "vorfjp-send: " << said.words << Qt::endl;
    status = said.status;
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
            return {std::nullopt, SendText::tr("The weather text cannot be drawn: its module is missing or damaged "
                                               "(%1). Reinstall vorfjp.")
                                      .arg(problem)};
        if (std::optional<protocol::DotMatrix> dots = module->draw(text))
            return {dots, {}};
        return {std::nullopt, SendText::tr("No font to draw the weather text: install SimSun or GNU Unifont "
                                           "(Debian: fonts-unifont).")};
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
