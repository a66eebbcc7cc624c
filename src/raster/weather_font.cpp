#include "raster/weather_font.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>

namespace raster {

namespace {

// Every glyph must be drawn as its bitmap: antialiased edges would fall
// either side of the dot threshold, and glyphs borrowed from another font
// would not fit the 16-pixel cell.
void makeBitmapExact(QFont& font)
{
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    font.setKerning(false);
}

bool isSimSunName(const QString& family)
{
    return family == QStringView(kSimSunFamily) || family == QStringView(kSimSunLocalFamily);
}

// SimSun may be reported under its English or its Chinese name.
bool resolvesToChosenFamily(const QFont& font)
{
    const QString resolved = QFontInfo(font).family();
    return resolved == font.family() || (isSimSunName(font.family()) && isSimSunName(resolved));
}

} // namespace

WeatherFont chooseWeatherFont(const QStringList& installedFamilies)
{
    for (const QStringView simSun : {QStringView(kSimSunFamily), QStringView(kSimSunLocalFamily)}) {
        if (installedFamilies.contains(simSun.toString())) {
            QFont font(simSun.toString());
            font.setPointSize(kSimSunPointSize);
            makeBitmapExact(font);
            return {font};
        }
    }
    const QString unifont = QString::fromUtf16(kUnifontFamily);
    if (installedFamilies.contains(unifont)) {
        QFont font(unifont);
        font.setPixelSize(kUnifontPixelSize);
        // Unifont's outlines are whole pixel squares; hinting could only move them.
        font.setHintingPreference(QFont::PreferNoHinting);
        makeBitmapExact(font);
        return {font};
    }
    return {std::nullopt};
}

WeatherFont weatherFont()
{
    QStringList families = QFontDatabase::families();
    // An installation that ships Unifont (the Windows one) has it beside the programs' data.
    if (!families.contains(QString::fromUtf16(kUnifontFamily))) {
        const QString shipped = QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kShippedUnifont));
        if (QFile::exists(shipped) && QFontDatabase::addApplicationFont(shipped) >= 0)
            families = QFontDatabase::families();
    }
    WeatherFont choice = chooseWeatherFont(families);
    if (choice.font && !resolvesToChosenFamily(*choice.font))
        return {std::nullopt};
    return choice;
}

} // namespace raster
