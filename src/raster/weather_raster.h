#pragma once
// Rendering of the weather text into the board's 64 x 16 dot matrix.
//
// Matrix layout, as the weather dot frame carries it: 16 rows of 8 bytes, top
// row first; the dot at (x, y) is bit 7 - (x mod 8) of byte 8y + x div 8, a set
// bit a lit dot.

#include "raster/weather_font.h"

#include <QFont>
#include <QImage>
#include <QString>

#include <array>

namespace raster {

inline constexpr int kMatrixWidth = 64;
inline constexpr int kMatrixHeight = 16;
inline constexpr int kDotsPerByte = 8;
inline constexpr int kBytesPerRow = kMatrixWidth / kDotsPerByte;
inline constexpr int kDotMatrixBytes = kBytesPerRow * kMatrixHeight;

// The drawing surface is a little larger than the matrix; only its top-left
// 64 x 16 pixels are read.
inline constexpr int kSurfaceWidth = 68;
inline constexpr int kSurfaceHeight = 20;

using DotMatrix = std::array<quint8, kDotMatrixBytes>;

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
