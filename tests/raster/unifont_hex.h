#pragma once
// Reader for GNU Unifont's .hex glyph source, the independent origin of the
// expected dot matrices.

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <optional>

namespace rastertest {

// Code point -> glyph rows, top row first: 16 bytes for a half-width glyph,
// 32 (two per row) for a full-width one.
using GlyphTable = QHash<char32_t, QByteArray>;

// nullopt when the file cannot be read or a line is malformed.
std::optional<GlyphTable> readUnifontHex(const QString& path);

// The 64 x 16 matrix the board should show for the text drawn from x = 0 with
// these glyphs: the dot at (x, y) is bit 7 - x % 8 of byte 8y + x / 8, and the
// part of a glyph right of column 63 is cut off. nullopt when a character of
// the text has no glyph in the table.
std::optional<std::array<quint8, 128>> expectedMatrix(const GlyphTable& glyphs, const QString& text);

} // namespace rastertest
