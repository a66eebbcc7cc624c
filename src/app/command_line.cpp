#include "app/command_line.h"

#include "storage/content_location.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace app {

CommandLineOutcome runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Desktop program for the LED room-rate board: keeps the room rates, exchange rates, weather\n"
        "forecast and clock of the board in one window and sends them over an RS-232 line.\n"
        "Without options it opens the window."));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption contentPath(
        QStringLiteral("content-path"),
        QStringLiteral("Print the board content file (VorFjp.ini) the program uses and exit; the per-user copy "
                       "is created from the installed template first when there is none yet."));
    parser.addOptions({help, version, contentPath});

    if (!parser.parse(arguments)) {
        err << parser.errorText() << QStringLiteral(" (see --help)\n");
        return {2};
    }
    if (!parser.positionalArguments().isEmpty()) {
        err << QStringLiteral("unexpected argument: ") << parser.positionalArguments().constFirst()
            << QStringLiteral(" (see --help)\n");
        return {2};
    }
    if (parser.isSet(help)) {
        out << parser.helpText();
        return {0};
    }
    if (parser.isSet(version)) {
        out << QCoreApplication::applicationName() << u' ' << QCoreApplication::applicationVersion() << u'\n';
        return {0};
    }
    if (parser.isSet(contentPath)) {
        const storage::ContentFileResult content = storage::contentFileInUse(QCoreApplication::applicationDirPath());
        if (!content.path) {
            err << content.error << u'\n';
            return {1};
        }
        out << *content.path << u'\n';
        return {0};
    }
    return {};
}

} // namespace app
