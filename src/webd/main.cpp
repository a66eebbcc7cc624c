// vorfjp-web: the board as a service with an HTTP API, without a window.
#include "line/stop_signals.h"
#include "storage/app_name.h"
#include "web/credentials.h"
#include "webd/credential_commands.h"
#include "webd/mqtt_service.h"
#include "webd/service_main.h"
#include "webd/terminal_input.h"
#include "webd/web_options.h"

#include <QGuiApplication>
#include <QLocale>
#include <QTextStream>
#include <QTranslator>

#include <iostream>
#include <string>

namespace {

// Beside the executable in the build tree, under share/ when installed.
void loadTranslation(QTranslator& translator)
{
    if (QLocale().language() != QLocale::Chinese)
        return;
    const QString programDir = QCoreApplication::applicationDirPath();
    for (const QString& dir : {programDir, programDir + QStringLiteral("/../share/vorfjp/translations")}) {
        if (translator.load(QStringLiteral("vorfjp-web_zh_CN"), dir)) {
            QCoreApplication::installTranslator(&translator);
            return;
        }
    }
}

// One line of standard input; on a terminal after a prompt and without echo.
std::optional<QByteArray> readPasswordLine(const QString& prompt)
{
    const bool terminal = webd::stdinIsTerminal();
    QTextStream err(stderr);
    if (terminal)
        err << prompt << Qt::flush;
    std::string line;
    bool read = false;
    {
        const webd::QuietInput quiet;
        read = bool(std::getline(std::cin, line));
    }
    if (terminal)
        err << Qt::endl;
    if (!read)
        return std::nullopt;
    return QByteArray::fromStdString(line);
}

} // namespace

int main(int argc, char** argv)
{
    // A service ends on SIGTERM (systemd) through its event loop, so that it closes its port and
    // releases the port's lock; blocked before any thread starts.
    line::StopSignals::block();
    // Drawing the weather text needs fonts, and so a GUI application; it draws off screen and
    // never uses a display that happens to be there.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    // The same name as the window: the same saved port choice and the same configuration folder.
    QCoreApplication::setApplicationName(QString::fromUtf16(storage::kApplicationName));
    QCoreApplication::setApplicationVersion(QStringLiteral(VORFJP_VERSION));
    QTranslator translator;
    loadTranslation(translator);

    QTextStream out(stdout);
    QTextStream err(stderr);
    QCommandLineParser parser;
    const webd::ParsedWebCommandLine parsed = webd::parseWebCommandLine(parser, QCoreApplication::arguments());
    if (parsed.helpAsked) {
        out << parser.helpText();
        return webd::kDone;
    }
    if (parsed.versionAsked) {
        out << "vorfjp-web " << QCoreApplication::applicationVersion() << Qt::endl;
        return webd::kDone;
    }
    if (!parsed.options) {
        err << "vorfjp-web: " << parsed.error << Qt::endl;
        return webd::kUsage;
    }
    const webd::WebOptions& options = *parsed.options;
    const web::CredentialFiles files = webd::defaultCredentialFiles();
    if (options.setPassword || options.newTokenName || options.setMqttPassword)
        line::StopSignals::unblock();
    if (options.setPassword)
        return webd::setPasswordCommand(files.password, &readPasswordLine, webd::stdinIsTerminal(), err);
    if (options.newTokenName)
        return webd::newTokenCommand(files.tokens, *options.newTokenName, out, err);
    if (options.setMqttPassword)
        return webd::setMqttPasswordCommand(webd::mqttPasswordFile(), &readPasswordLine, webd::stdinIsTerminal(), err);
    const web::StoredPassword password = web::storedPassword(files.password);
    if (password.state == web::StoredPassword::Unusable) {
        err << "vorfjp-web: " << password.problem << Qt::endl;
        return webd::kConfig;
    }
    if (const std::optional<QString> refusal =
            webd::listenRefusal(options.listen, password.state == web::StoredPassword::Stored)) {
        err << "vorfjp-web: " << *refusal << Qt::endl;
        return webd::kConfig;
    }
    return webd::runService(options);
}
