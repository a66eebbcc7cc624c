// vorfjp-send: the window's commands for scripts and timers, without a display.
#include "cli/content_run.h"
#include "cli/exit_status.h"
#include "cli/send_options.h"
#include "cli/send_run.h"
#include "cli/weather_loader.h"
#include "share/share_socket.h"
#include "storage/app_name.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>
#include <memory>

namespace {

// Beside the executable in the build tree, under share/ when installed.
void loadTranslation(QTranslator& translator)
{
    if (QLocale().language() != QLocale::Chinese)
        return;
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& dir : {programDir, programDir + QStringLiteral("/../share/vorfjp/translations")}) {
        if (translator.load(QStringLiteral("vorfjp-send_zh_CN"), dir)) {
            QCoreApplication::installTranslator(&translator);
            return;
        }
    }
}

// Read before any application exists, to choose which one: only drawing the weather needs the GUI
// module, and loading it with its set-up (the platform plugin, the font configuration) would be
// most of the start of any other run.
bool weatherAsked(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const cli::ParsedCommandLine parsed = cli::parseCommandLine(parser, arguments);
    return parsed.options && cli::drawsWeather(*parsed.options);
}

} // namespace

int main(int argc, char** argv)
{
    // Declared first: the module stays loaded until after the application it made is gone.
    QLibrary weatherLibrary;
    cli::WeatherModuleLoad weather;
    if (weatherAsked(argc, argv))
        weather = cli::loadWeatherModule(weatherLibrary, cli::runningProgramDir());
    // Without the module, a weather run still reports why through the usual messages.
    const std::unique_ptr<QCoreApplication> application(weather.module ? weather.module->makeApplication(argc, argv)
                                                                       : new QCoreApplication(argc, argv));
    // The same name as the window: the same saved port choice and the same runtime folder.
    QCoreApplication::setApplicationName(QString::fromUtf16(storage::kApplicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORFJP_VERSION));
    QTranslator translator;
    loadTranslation(translator);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QCommandLineParser parser;
    const cli::ParsedCommandLine parsed = cli::parseCommandLine(parser, QCoreApplication::arguments());
    if (parsed.helpAsked) {
        out << parser.helpText();
        return cli::kDone;
    }
    if (parsed.versionAsked) {
        out << "vorfjp-send " << QCoreApplication::applicationVersion() << Qt::endl;
        return cli::kDone;
    }
    if (!parsed.options) {
        err << "vorfjp-send: " << parsed.error << Qt::endl;
        return cli::kUsage;
    }
    if (parsed.options->listPorts)
        return cli::listPorts(out);
    if (parsed.options->mode == cli::Mode::Show)
        return cli::runShow(*parsed.options, out, err);
    if (parsed.options->mode == cli::Mode::Set) {
        if (const int set = cli::runSet(*parsed.options, err); set != cli::kDone || parsed.options->commands.empty())
            return set;
    }
    return cli::runSend(*parsed.options, share::shareSocketPath(), cli::weatherDrawing(weather), out, err);
}
