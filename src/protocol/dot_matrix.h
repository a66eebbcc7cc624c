#pragma once

// The board's weather dot matrix: 64 x 16 dots, as the weather dot frame carries
// it, the rasteriser fills it and the virtual board shows it. 16 rows of 8 bytes,
// top row first; the dot at (x, y) is bit 7 - (x mod 8) of byte 8y + x div 8, a set
// bit a lit dot.

#include <QtGlobal>

#include <array>

namespace protocol {

inline constexpr int kDotColumns = 64;
inline constexpr int kDotRows = 16;
inline constexpr int kDotsPerByte = 8;
inline constexpr int kDotBytesPerRow = kDotColumns / kDotsPerByte;
inline constexpr int kDotBytes = kDotBytesPerRow * kDotRows;

static_assert(kDotColumns % kDotsPerByte == 0, "a row is whole bytes");

// A half-width glyph of the weather font is 8 dots wide and a Chinese one 16, so the matrix holds
// eight display cells of text: four Chinese characters or eight half-width ones.
inline constexpr int kHalfWidthGlyphDots = 8;
inline constexpr int kWeatherTextCells = kDotColumns / kHalfWidthGlyphDots;

using DotMatrix = std::array<quint8, kDotBytes>;

constexpr int dotByteIndex(int x, int y)
{
    return y * kDotBytesPerRow + x / kDotsPerByte;
}

// The leftmost dot of a byte is its bit 7.
constexpr quint8 dotBit(int x)
{
    return quint8(0x80u >> (x % kDotsPerByte));
}

// x in 0..63, y in 0..15.
constexpr bool dotLit(const DotMatrix& dots, int x, int y)
{
    return (dots[std::size_t(dotByteIndex(x, y))] & dotBit(x)) != 0;
}

constexpr void lightDot(DotMatrix& dots, int x, int y)
{
    dots[std::size_t(dotByteIndex(x, y))] |= dotBit(x);
}

} // namespace protocol
