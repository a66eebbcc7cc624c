#include "cli/weather_loader.h"

#include <QDir>
#include <QStringList>

namespace cli {

WeatherModuleLoad loadWeatherModule(QLibrary& library, const QString& programDir)
{
    const QString name = QString::fromUtf16(weatherdraw::kModuleName);
    QStringList problems;
    for (const QString& dir : {programDir, QDir(programDir).filePath(QStringLiteral(VORFJP_WEATHERDRAW_FROM_BINDIR))}) {
        library.setFileName(QDir::cleanPath(QDir(dir).filePath(name)));
        if (!library.load()) {
            problems << library.errorString();
            continue;
        }
        const auto entry = reinterpret_cast<weatherdraw::ModuleEntry>(library.resolve(weatherdraw::kEntrySymbol));
        const weatherdraw::Module* module = entry ? entry() : nullptr;
        if (module && module->version == weatherdraw::kModuleVersion)
            return {module, QString()};
        problems << QStringLiteral("%1 is not a weather module of this version").arg(library.fileName());
        library.unload();
    }
    return {nullptr, problems.join(QStringLiteral("; "))};
}

} // namespace cli
