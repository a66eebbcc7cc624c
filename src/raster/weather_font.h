#pragma once
// Font for the board's 64 x 16 weather dot matrix.
//
// The board shows exactly the pixels we draw, so the font must be a true
// 16-pixel bitmap design: SimSun ("宋体") 12 pt at 96 dpi, or GNU Unifont at
// 16 px, whose CJK glyphs are 16 x 16 and half-width glyphs 8 x 16. An outline
// font stood in by fontconfig would give blurred or wrongly sized dots on the
// board, so a missing font is reported instead of substituted.

#include "protocol/dot_matrix.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

namespace raster {

inline constexpr auto kSimSunFamily = u"SimSun";
inline constexpr auto kSimSunLocalFamily = u"宋体";
inline constexpr auto kUnifontFamily = u"Unifont";
// Where an installation that brings its own Unifont keeps it, seen from the programs' folder.
inline constexpr auto kShippedUnifont = "../share/vorfjp/fonts/unifont.otf";
inline constexpr int kSimSunPointSize = 12;
inline constexpr int kUnifontPixelSize = 16;

using protocol::kHalfWidthGlyphDots;
using protocol::kWeatherTextCells;

struct WeatherFont {
    std::optional<QFont> font; // nullopt: the machine has neither font
};

// Pure choice among the given installed family names (exact, case-sensitive
// matches only): SimSun first, then Unifont, else no font.
WeatherFont chooseWeatherFont(const QStringList& installedFamilies);

// The choice for this machine, from QFontDatabase::families(), with the Unifont
// an installation ships (kShippedUnifont) added when the system has none. Also
// rejects a choice that the font system would resolve to some other family.
// Needs a QGuiApplication.
WeatherFont weatherFont();

} // namespace raster
