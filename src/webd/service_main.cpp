// vorfjp-web's serving: the board side over the board engine, behind the HTTP service.
#include "webd/service_main.h"

#include "line/stop_signals.h"
#include "page/page_files.h"
#include "raster/weather_font.h"
#include "raster/weather_raster.h"
#include "serial/port_choice.h"
#include "share/share_socket.h"
#include "storage/content_location.h"
#include "web/credentials.h"
#include "web/tls_certificate.h"
#include "web/web_text.h"
#include "webd/credential_commands.h"
#include "webd/engine_service.h"
#include "webd/mqtt_service.h"
#include "webd/schedule_runner.h"
#include "webd/schedule_service.h"
#include "webd/web_service.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

#include <memory>

namespace webd {

using web::WebText;

namespace {

// The names a self-signed certificate is made for: every name and address the service answers to.
QStringList certificateNames(const WebOptions& options)
{
    QStringList names;
    for (QString host : acceptedHosts(options.listen, options.listen.port, options.allowHosts)) {
        const qsizetype bracket = host.lastIndexOf(u']');
        const qsizetype colon = host.lastIndexOf(u':');
        if (colon > bracket)
            host.truncate(colon);
        if (host.startsWith(u'['))
            host = host.mid(1, host.size() - 2);
        if (!names.contains(host))
            names << host;
    }
    return names;
}

} // namespace

int runService(const WebOptions& options)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    QString contentPath;
    if (options.contentFile) {
        contentPath = *options.contentFile;
    } else {
        const storage::ContentFileResult inUse = storage::contentFileInUse(QCoreApplication::applicationDirPath());
        if (!inUse.path) {
            err << "vorfjp-web: " << inUse.error << Qt::endl;
            return kDataError;
        }
        contentPath = *inUse.path;
    }
    EngineServiceSetup setup;
    setup.contentPath = contentPath;
    // Without --port, the window's saved choice as it stands at each send.
    setup.portChoice = [port = options.port] { return port.value_or(serial::loadPortChoice()); };
    setup.socketPath = share::shareSocketPath();
    setup.deviceId = options.deviceId;
    setup.draw = [](const QString& text) -> board::Drawn {
        const raster::WeatherFont font = raster::weatherFont();
        if (!font.font)
            return {std::nullopt, {}};
        return {raster::rasterizeWeatherText(text, *font.font), {}};
    };
    const Transport transport = transportOf(options);
    web::LoadedCertificate certificate;
    if (transport == Transport::GivenCertificate) {
        certificate = web::loadCertificate(*options.tlsCertificate, *options.tlsKey);
    } else if (transport == Transport::SelfSigned) {
        const web::CredentialFiles files = defaultCredentialFiles();
        certificate = web::selfSignedCertificate(files.tlsCertificate, files.tlsKey, certificateNames(options),
                                                 QDateTime::currentDateTimeUtc());
    }
    if (transport != Transport::PlainHttp && !certificate.credentials) {
        err << "vorfjp-web: " << certificate.error << Qt::endl;
        return kConfig;
    }

    EngineService engine(std::move(setup));
    // With --mqtt, the HTTP API reaches the board through the broker's front, so that the state
    // on the broker follows its changes and sends, and its status tells the broker's state.
    std::unique_ptr<MqttService> broker;
    if (options.mqtt)
        broker = std::make_unique<MqttService>(engine, *options.mqtt, options.deviceId, contentPath, mqttPasswordFile(), err);
    BoardService& board = broker ? broker->board() : static_cast<BoardService&>(engine);
    const page::PageFiles page;
    WebServiceSettings settings;
    settings.trustedProxy = options.trustProxy;
    settings.api.contentPath = contentPath;
    WebService service(board, page, settings);
    // The runner sends through the same front as the API, so that a broker's state follows it too.
    ScheduleRunner runner(board, {contentPath});
    ScheduleService schedules({contentPath, [] { return QDateTime::currentDateTime(); }, [&runner] { runner.runSoon(); },
                               [&runner] { return runner.status(); }});
    service.setScheduleService(&schedules);
    if (const std::optional<QString> failed = service.listen(options.listen, options.allowHosts, certificate.credentials)) {
        err << "vorfjp-web: " << *failed << Qt::endl;
        return kUnavailable;
    }
    const QString host = options.listen.address.protocol() == QAbstractSocket::IPv6Protocol
        ? QStringLiteral("[%1]").arg(options.listen.address.toString())
        : options.listen.address.toString();
    const QString scheme = transport == Transport::PlainHttp ? QStringLiteral("http") : QStringLiteral("https");
    out << WebText::tr("vorfjp-web: serving the board content file %1 on %2://%3:%4/")
               .arg(contentPath, scheme, host)
               .arg(service.port())
        << Qt::endl;
    if (certificate.made)
        out << WebText::tr("Made a self-signed certificate: %1").arg(defaultCredentialFiles().tlsCertificate)
            << Qt::endl;
    if (certificate.credentials)
        out << WebText::tr("Certificate fingerprint (SHA-256), to compare with the browser's: %1")
                   .arg(certificate.fingerprint)
            << Qt::endl;
    if (broker)
        broker->start();
    runner.start();
    const line::StopSignals stop;
    QObject::connect(&stop, &line::StopSignals::stopRequested, &service, [] { QCoreApplication::quit(); });
    return QCoreApplication::exec();
}

} // namespace webd
