#include "options.h"

#include "protocol/frame.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstring>

namespace boardsim {

namespace {

// protocol::kEveryDevice addresses every board on the line; a board's own number is below it.
constexpr int kHighestOwnId = protocol::kEveryDevice - 1;

constexpr auto kDefaultListenHost = "127.0.0.1";

} // namespace

std::optional<ListenAddress> parseListenAddress(const QString& text)
{
    QString host = QString::fromLatin1(kDefaultListenHost);
    QString port = text;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        host = text.left(colon);
        port = text.mid(colon + 1);
        if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
            host = host.mid(1, host.size() - 2);
        else if (host.contains(QLatin1Char(':')))
            return std::nullopt; // an IPv6 host needs its brackets
        if (host.isEmpty())
            return std::nullopt;
    }
    bool ok = false;
    const uint number = port.toUInt(&ok, 10);
    if (!ok || number > 65535 || port.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return ListenAddress {host, quint16(number)};
}

ParsedOptions parseOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Virtual LED board: serves a serial line like the board does and shows what it would display."));
    parser.addHelpOption();
    parser.addVersionOption();
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
    const QCommandLineOption listen(
        QStringLiteral("listen"),
        QStringLiteral("Serve raw TCP like a serial device server, on [HOST:]PORT (host 127.0.0.1 unless given; "
                       "port 0 takes a free one); print the address."),
        QStringLiteral("address"));
    parser.addOptions({pty, link, id, content, headless, listen});
    parser.addPositionalArgument(QStringLiteral("device"), QStringLiteral("Serial device to serve, e.g. /dev/ttyUSB0."),
                                 QStringLiteral("[device]"));

    ParsedOptions parsed;
    if (!parser.parse(arguments)) {
        parsed.error = parser.errorText();
        return parsed;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
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
    if (parser.isSet(listen)) {
        const std::optional<ListenAddress> address = parseListenAddress(parser.value(listen));
        if (!address) {
            parsed.error = QStringLiteral("--listen takes [HOST:]PORT, e.g. 127.0.0.1:40000 or 40000");
            return parsed;
        }
        options.listenHost = address->host;
        options.listenPort = address->port;
    }
    if (int(options.pty) + int(!options.device.isEmpty()) + int(options.listenPort.has_value()) != 1) {
        parsed.error = QStringLiteral("give one of a serial device, --pty or --listen");
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
    // --help and --version print and end before any window could show, so they need no display.
    constexpr const char* kWindowless[] = {"--headless", "--help", "--help-all", "-h", "-?", "--version", "-v"};
    for (int i = 1; i < argc; ++i) {
        for (const char* option : kWindowless) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

} // namespace boardsim
