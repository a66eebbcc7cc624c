#include "cli/send_options.h"

#include "board/send_text.h"
#include "protocol/device_number.h"
#include "protocol/frame.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace cli {

using board::SendText;

namespace {

// "test, time, rooms, rates or weather", in the user's language.
QString commandChoices()
{
    return board::commandList(SendText::tr(", "), SendText::tr(" or "));
}

ParsedCommandLine usage(const QString& error)
{
    ParsedCommandLine parsed;
    parsed.error = error;
    return parsed;
}

} // namespace

ParsedCommandLine parseCommandLine(QCommandLineParser& parser, const QStringList& arguments)
{
    parser.setApplicationDescription(SendText::tr("Sends the board content to the LED board without the window."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  SendText::tr("The serial port, as the window's port box takes it: a number, a "
                                               "device path, tcp://HOST:PORT or rfc2217://HOST:PORT "
                                               "(default: the window's saved choice)."),
                                  QStringLiteral("PORT"));
    const QCommandLineOption device(QStringLiteral("device"),
                                    SendText::tr("The board's device number, 0 to %1 (default %2: every board).")
                                        .arg(protocol::kMaxDeviceNumber)
                                        .arg(protocol::kEveryDevice),
                                    QStringLiteral("N"));
    const QCommandLineOption content(QStringLiteral("content"),
                                     SendText::tr("The board content file (default: the one the window uses)."),
                                     QStringLiteral("FILE"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     SendText::tr("How long test waits for the board's answer, in ms (default %1).")
                                         .arg(kDefaultTimeoutMs),
                                     QStringLiteral("MS"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    SendText::tr("Open nothing; print each frame as upper-case hex bytes, one per line."));
    const QCommandLineOption listPorts(QStringLiteral("list-ports"),
                                       SendText::tr("Print the machine's serial ports, one a line: path, tab, "
                                                    "description; send nothing."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  SendText::tr("set: take the changes from a JSON object of show's shape in FILE "
                                               "(- for standard input)."),
                                  QStringLiteral("FILE"));
    parser.addOptions({port, device, content, timeout, dryRun, listPorts, json});
    parser.addPositionalArgument(QStringLiteral("COMMAND"),
                                 SendText::tr("%1; run in the order given, the first that fails stops the rest. "
                                              "Or %2: print the content as JSON. Or %3 KEY=VALUE...: change the "
                                              "content file, then run the commands that follow.")
                                     .arg(commandChoices(), QLatin1String(kShowWord), QLatin1String(kSetWord)),
                                 QStringLiteral("COMMAND..."));

    if (!parser.parse(arguments))
        return usage(parser.errorText());
    ParsedCommandLine parsed;
    if (parser.isSet(helpOption)) {
        parsed.helpAsked = true;
        return parsed;
    }
    if (parser.isSet(versionOption)) {
        parsed.versionAsked = true;
        return parsed;
    }

    SendOptions options;
    if (parser.isSet(port))
        options.port = parser.value(port);
    if (parser.isSet(content))
        options.contentFile = parser.value(content);
    options.dryRun = parser.isSet(dryRun);

    options.deviceId = protocol::kEveryDevice;
    if (parser.isSet(device)) {
        const QString text = parser.value(device);
        const protocol::DeviceNumberInput read = protocol::readDeviceNumber(text, protocol::kEveryDevice);
        if (read.fieldText != text)
            return usage(SendText::tr("--device takes a number from 0 to %1, not \"%2\".")
                             .arg(protocol::kMaxDeviceNumber)
                             .arg(text));
        options.deviceId = read.deviceId;
    }

    options.timeoutMs = kDefaultTimeoutMs;
    if (parser.isSet(timeout)) {
        bool ok = false;
        const qlonglong ms = parser.value(timeout).trimmed().toLongLong(&ok);
        if (!ok || ms < 0 || ms > std::numeric_limits<int>::max())
            return usage(SendText::tr("--timeout takes a number of milliseconds, not \"%1\".").arg(parser.value(timeout)));
        options.timeoutMs = int(ms);
    }

    QStringList names = parser.positionalArguments();
    if (!names.isEmpty() && names.front() == QLatin1String(kShowWord)) {
        if (names.size() > 1)
            return usage(SendText::tr("%1 takes no commands: give it alone.").arg(QLatin1String(kShowWord)));
        options.mode = Mode::Show;
        parsed.options = std::move(options);
        return parsed;
    }
    if (!names.isEmpty() && names.front() == QLatin1String(kSetWord)) {
        options.mode = Mode::Set;
        names.removeFirst();
        if (parser.isSet(json))
            options.jsonFile = parser.value(json);
        for (const QString& name : std::as_const(names)) {
            if (name.contains(u'='))
                options.pairs << name;
        }
        names.removeIf([](const QString& name) { return name.contains(u'='); });
        if (options.pairs.isEmpty() && !options.jsonFile)
            return usage(SendText::tr("%1 needs changes: KEY=VALUE, or --json FILE.").arg(QLatin1String(kSetWord)));
    } else if (parser.isSet(json)) {
        return usage(SendText::tr("--json belongs to %1.").arg(QLatin1String(kSetWord)));
    }
    if (parser.isSet(listPorts)) {
        if (!names.isEmpty())
            return usage(SendText::tr("--list-ports sends nothing: give it without commands."));
        options.listPorts = true;
        parsed.options = std::move(options);
        return parsed;
    }
    if (names.isEmpty() && options.mode == Mode::Send)
        return usage(SendText::tr("Name at least one command: %1.").arg(commandChoices()));
    for (const QString& name : names) {
        const std::optional<board::Command> known = board::commandNamed(name);
        if (!known)
            return usage(SendText::tr("Unknown command \"%1\": use %2.").arg(name, commandChoices()));
        options.commands.push_back(*known);
    }
    parsed.options = std::move(options);
    return parsed;
}

bool drawsWeather(const SendOptions& options)
{
    return std::find(options.commands.begin(), options.commands.end(), board::Command::Weather) != options.commands.end();
}

} // namespace cli
