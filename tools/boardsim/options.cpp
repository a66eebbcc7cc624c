#include "options.h"

#include "protocol/frame.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace boardsim {

namespace {

// protocol::kEveryDevice addresses every board on the line; a board's own number is below it.
constexpr int kHighestOwnId = protocol::kEveryDevice - 1;

} // namespace

ParsedOptions parseOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Virtual LED board: serves a serial line like the board does and shows what it would display."));
    parser.addHelpOption();
    const QCommandLineOption pty(QStringLiteral("pty"),
                                 QStringLiteral("Create a pseudo-terminal pair; print the path the program should open."));
    const QCommandLineOption link(QStringLiteral("link"), QStringLiteral("With --pty, keep a symbolic link to it at <path>."),
                                  QStringLiteral("path"));
    const QCommandLineOption id(QStringLiteral("id"), QStringLiteral("Device number of this board, 0 to 254 (default 1)."),
                                QStringLiteral("number"), QString::number(kDefaultDeviceId));
    const QCommandLineOption content(QStringLiteral("content"),
                                     QStringLiteral("Board content file (VorFjp.ini) giving the areas and their names."),
                                     QStringLiteral("file"));
    const QCommandLineOption headless(QStringLiteral("headless"),
                                      QStringLiteral("No window: one JSON object per line on standard output."));
    parser.addOptions({pty, link, id, content, headless});
    parser.addPositionalArgument(QStringLiteral("device"), QStringLiteral("Serial device to serve, e.g. /dev/ttyUSB0."),
                                 QStringLiteral("[device]"));

    ParsedOptions parsed;
    if (!parser.parse(arguments)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    Options& options = parsed.options;
    options.pty = parser.isSet(pty);
    options.link = parser.value(link);
    options.contentFile = parser.value(content);
    options.headless = parser.isSet(headless);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        parsed.error = QStringLiteral("only one device may be given");
        return parsed;
    }
    if (!positional.isEmpty())
        options.device = positional.first();
    if (options.pty == !options.device.isEmpty()) {
        parsed.error = QStringLiteral("give either a serial device or --pty");
        return parsed;
    }
    if (!options.link.isEmpty() && !options.pty) {
        parsed.error = QStringLiteral("--link needs --pty");
        return parsed;
    }
    bool ok = false;
    const int number = parser.value(id).toInt(&ok);
    if (!ok || number < 0 || number > kHighestOwnId) {
        parsed.error = QStringLiteral("--id must be a number from 0 to %1").arg(kHighestOwnId);
        return parsed;
    }
    options.deviceId = quint8(number);
    return parsed;
}

bool wantsHeadless(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--headless") == 0)
            return true;
    }
    return false;
}

} // namespace boardsim
