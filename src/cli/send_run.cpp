#include "cli/send_run.h"

#include "cli/board_sender.h"
#include "cli/command_frames.h"
#include "cli/exit_status.h"
#include "cli/send_text.h"
#include "serial/port_choice.h"
#include "serial/port_list.h"
#include "storage/content_file.h"
#include "storage/content_location.h"

#include <QCoreApplication>

#include <memory>

namespace cli {

namespace {

QString openProblemText(const boardlink::OpenOutcome& opened, const QString& choice)
{
    switch (opened.problem) {
    case boardlink::OpenProblem::NotAPortChoice:
        return SendText::tr("\"%1\" names no serial port: give a port number (1 to 16) or the full path of a "
                            "serial device.")
            .arg(choice);
    case boardlink::OpenProblem::NoSuchDevice:
        return SendText::tr("The serial port %1 does not exist: check the cable or adapter and the port given.")
            .arg(opened.portName);
    case boardlink::OpenProblem::InUse:
        return SendText::tr("The serial port %1 is in use by another program: close it and try again.")
            .arg(opened.portName);
    case boardlink::OpenProblem::NoPermission:
        return SendText::tr("No permission to open the serial port %1: add the user to the dialout group "
                            "and log in again.")
            .arg(opened.portName);
    case boardlink::OpenProblem::ServerUnreachable:
        return SendText::tr("The serial device server %1 cannot be reached (refused, unknown host, no answer "
                            "within 3 s, or not a serial device server): check its address and port and that it "
                            "runs.")
            .arg(opened.portName);
    case boardlink::OpenProblem::ServerClosed:
        return SendText::tr("The serial device server %1 took the connection and closed it: it cannot open its "
                            "serial device, or another client holds it. Check the server's device and settings, "
                            "then send again.")
            .arg(opened.portName);
    case boardlink::OpenProblem::Busy:
    case boardlink::OpenProblem::None:
    case boardlink::OpenProblem::Other:
        break;
    }
    return SendText::tr("The serial port %1 cannot be opened.").arg(opened.portName);
}

// Opens the line on the first command that needs it: through the window when it holds the port,
// otherwise a port of its own.
class LineChoice {
public:
    LineChoice(const SendOptions& options, QString socketPath) : m_options(options), m_socketPath(std::move(socketPath)) {}

    BoardSender* sender(QTextStream& err, int& status)
    {
        if (m_sender)
            return m_sender.get();
        const QString choice = m_options.port.value_or(serial::loadPortChoice());
        if (const std::optional<QString> portName = serial::portNameForChoice(choice)) {
            auto window = std::make_unique<WindowSender>(m_socketPath, *portName);
            if (window->windowHoldsPort()) {
                m_sender = std::move(window);
                return m_sender.get();
            }
        }
        auto own = std::make_unique<OwnPortSender>();
        const boardlink::OpenOutcome opened = own->open(choice);
        if (!opened.ok) {
            err << "vorfjp-send: " << openProblemText(opened, choice) << Qt::endl;
            // A server that took the connection was reached: its line is what failed.
            status = opened.problem == boardlink::OpenProblem::ServerClosed ? kLineFailed : kUnavailable;
            return nullptr;
        }
        m_portName = opened.portName;
        m_sender = std::move(own);
        return m_sender.get();
    }

    // The line the commands went to; null while none was needed.
    BoardSender* opened() const { return m_sender.get(); }
    QString portName() const { return m_portName; }

private:
    const SendOptions& m_options;
    QString m_socketPath;
    std::unique_ptr<BoardSender> m_sender;
    QString m_portName; // of a port of its own
};

} // namespace

int listPorts(QTextStream& out)
{
    for (const serial::PortEntry& entry : serial::portEntries(serial::machinePorts()))
        out << entry.path << '\t' << entry.detail << '\n';
    out.flush();
    return kDone;
}

namespace {

int reportDelivery(const DeliveryReport& report, const QString& portName, QTextStream& out, QTextStream& err)
{
    switch (report.delivery) {
    case Delivery::Sent:
        return kDone;
    case Delivery::Answered:
        out << "device " << report.deviceNumber << Qt::endl;
        return kDone;
    case Delivery::NoAnswer:
        err << "vorfjp-send: " << SendText::tr("The board did not answer the connection test in time.") << Qt::endl;
        return kNoAnswer;
    case Delivery::LineLost:
        err << "vorfjp-send: "
            << SendText::tr("The line to the board was lost: check the cable and the serial device.") << Qt::endl;
        return kLineFailed;
    case Delivery::ServerHungUp:
        err << "vorfjp-send: "
            << SendText::tr("The serial device server %1 closed the connection before its line could carry the "
                            "frames: it may not have its serial device open, or another client took it. Check the "
                            "server and its device, then send again.")
                   .arg(portName)
            << Qt::endl;
        return kLineFailed;
    case Delivery::NotConfirmed:
        err << "vorfjp-send: "
            << SendText::tr("The serial device server %1 did not confirm in time that it had read the frames: "
                            "check the server and the board behind it, then send again.")
                   .arg(portName)
            << Qt::endl;
        return kLineFailed;
    case Delivery::WriteFailed:
        break;
    }
    err << "vorfjp-send: " << SendText::tr("The frame was not sent: the port did not take it.") << Qt::endl;
    return kLineFailed;
}

} // namespace

int runSend(const SendOptions& options, const QString& socketPath, const WeatherDrawing& weather, QTextStream& out,
            QTextStream& err)
{
    std::optional<storage::BoardContent> content;
    const bool contentNeeded = std::any_of(options.commands.begin(), options.commands.end(), needsContent);
    if (contentNeeded) {
        QString path;
        if (options.contentFile) {
            path = *options.contentFile;
        } else {
            // The window's own choice, so that both programs keep to one file.
            const storage::ContentFileResult inUse = storage::contentFileInUse(QCoreApplication::applicationDirPath());
            if (!inUse.path) {
                err << "vorfjp-send: " << inUse.error << Qt::endl;
                return kContentUnusable;
            }
            path = *inUse.path;
        }
        const storage::DecodeResult loaded = storage::loadContentFile(path);
        if (!loaded.content) {
            err << "vorfjp-send: " << SendText::tr("The content file %1 cannot be used:").arg(path) << ' '
                << loaded.error << Qt::endl;
            return kContentUnusable;
        }
        content = loaded.content;
    }

    LineChoice line(options, socketPath);
    for (const Command command : options.commands) {
        const CommandFrames built = framesFor(command, content ? &*content : nullptr, options.deviceId,
                                              QDateTime::currentDateTime(), weather);
        if (built.frames.empty()) {
            err << "vorfjp-send: " << built.message << Qt::endl;
            return built.status;
        }
        if (options.dryRun) {
            for (const QByteArray& frame : built.frames)
                out << frame.toHex(' ').toUpper() << Qt::endl;
            continue;
        }
        int status = kDone;
        BoardSender* sender = line.sender(err, status);
        if (!sender)
            return status;
        DeliveryReport report;
        switch (command) {
        case Command::Test:
            report = sender->test(options.deviceId, options.timeoutMs);
            break;
        case Command::Weather:
            report = sender->weather(built.frames[0], built.frames[1]);
            break;
        case Command::Time:
        case Command::Rooms:
        case Command::Rates:
            report = sender->send(built.frames[0]);
            break;
        }
        status = reportDelivery(report, line.portName(), out, err);
        if (status != kDone)
            return status;
    }
    // The last frame is done only once the line can have it: a device server may drop what
    // its device has not yet sent on when the connection ends.
    if (BoardSender* sender = line.opened())
        return reportDelivery(sender->finish(), line.portName(), out, err);
    return kDone;
}

} // namespace cli
