// The weather drawing module of vorfjp-send: see weather_module.h.
#include "weatherdraw/weather_module.h"

#include "raster/weather_font.h"
#include "raster/weather_raster.h"

#include <QGuiApplication>

namespace {

QCoreApplication* makeApplication(int& argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QGuiApplication(argc, argv);
}

std::optional<protocol::DotMatrix> draw(const QString& text)
{
    const raster::WeatherFont font = raster::weatherFont();
    if (!font.font)
        return std::nullopt;
    return raster::rasterizeWeatherText(text, *font.font);
}

constexpr weatherdraw::Module kModule{weatherdraw::kModuleVersion, makeApplication, draw};

} // namespace

extern "C" Q_DECL_EXPORT const weatherdraw::Module* vorfjp_send_weather_module()
{
    return &kModule;
}
