#pragma once
// Rendering of the weather text into the board's 64 x 16 dot matrix, in the
// layout the weather dot frame carries (protocol/dot_matrix.h).

#include "protocol/dot_matrix.h"
#include "raster/weather_font.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <array>

namespace raster {

// The drawing surface is a little larger than the matrix; only its top-left
// 64 x 16 pixels are read.
inline constexpr int kSurfaceWidth = 68;
inline constexpr int kSurfaceHeight = 20;
static_assert(kSurfaceWidth >= protocol::kDotColumns && kSurfaceHeight >= protocol::kDotRows,
              "the surface holds the whole matrix");

using protocol::DotMatrix;

// A fresh 68 x 20 off-screen image at 96 dpi, black, with the text drawn once
// in pure red in one line, the top-left corner of its first character cell on
// pixel (0, 0). Nothing of an earlier call survives.
QImage renderWeatherText(const QString& text, const QFont& font);

// Whether a pixel of that colour is a lit dot: B*65536 + G*256 + R > 128.
bool isLitDot(QRgb colour);

// Packs the top-left 64 x 16 pixels; pixels beyond them are ignored, and
// pixels missing from a smaller image count as dark.
DotMatrix packDots(const QImage& image);

DotMatrix rasterizeWeatherText(const QString& text, const QFont& font);

} // namespace raster
