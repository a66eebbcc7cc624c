// vorfjp-send: the window's commands for scripts and timers, without a display.
#include "cli/exit_status.h"
#include "cli/send_options.h"
#include "cli/send_run.h"
#include "share/share_socket.h"
#include "storage/app_name.h"

#include <QDir>
#include <QGuiApplication>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <cstdio>

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

} // namespace

int main(int argc, char** argv)
{
    // The weather text is drawn off screen: no display is needed, and one that is there is not used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
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
    return cli::runSend(*parsed.options, share::shareSocketPath(), out, err);
}
