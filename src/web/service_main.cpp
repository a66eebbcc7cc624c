// vorfjp-web's serving: the board side over the board engine, behind the HTTP service.
#include "web/service_main.h"

#include "line/stop_signals.h"
#include "page/page_files.h"
#include "raster/weather_font.h"
#include "raster/weather_raster.h"
#include "serial/port_choice.h"
#include "share/share_socket.h"
#include "storage/content_location.h"
#include "web/engine_service.h"
#include "web/schedule_service.h"
#include "web/web_service.h"
#include "web/web_text.h"

#include <QCoreApplication>
#include <QTextStream>

namespace web {

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
            return {std::nullopt, font.missingHint};
        return {raster::rasterizeWeatherText(text, *font.font), {}};
    };
    EngineService board(std::move(setup));
    const page::PageFiles page;
    WebService service(board, page);
    ScheduleService schedules({contentPath});
    service.setScheduleService(&schedules);
    if (const std::optional<QString> failed = service.listen(options.listen, options.allowHosts)) {
        err << "vorfjp-web: " << *failed << Qt::endl;
        return kUnavailable;
    }
    const QString host = options.listen.address.protocol() == QAbstractSocket::IPv6Protocol
        ? QStringLiteral("[%1]").arg(options.listen.address.toString())
        : options.listen.address.toString();
    out << WebText::tr("vorfjp-web: serving the board content file %1 on http://%2:%3/")
               .arg(contentPath, host)
               .arg(service.port())
        << Qt::endl;
    const line::StopSignals stop;
    QObject::connect(&stop, &line::StopSignals::stopRequested, &service, [] { QCoreApplication::quit(); });
    return QCoreApplication::exec();
}

} // namespace web
