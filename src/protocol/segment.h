#pragma once

// Seven-segment cell codes, the conversion of a text into one code per digit cell
// of the board, and back from the codes to what the cells show.

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <array>

namespace protocol {

// One byte drives one digit cell; a 0 bit lights its segment:
//
//   bit 0  a  top              bit 4  e  lower left        --a--
//   bit 1  b  upper right      bit 5  f  upper left       f     b
//   bit 2  c  lower right      bit 6  g  middle            --g--
//   bit 3  d  bottom           bit 7  decimal point       e     c
//                                                          --d--  .
//
//   index  0    1    2    3    4    5    6    7    8    9    10    11     12
//   code   C0   F9   A4   B0   99   92   82   F8   80   90   FF    7F     BF
//   shows  0    1    2    3    4    5    6    7    8    9    dark  point  minus
//
// Index 11 is not a cell of its own but the mask ANDed into a cell to light its point.
inline constexpr std::array<quint8, 13> SegmentCodes {
    0xC0, 0xF9, 0xA4, 0xB0, 0x99, 0x92, 0x82, 0xF8, 0x80, 0x90, 0xFF, 0x7F, 0xBF,
};

inline constexpr int kDarkCell = 10;
inline constexpr int kPointMask = 11;
inline constexpr int kMinusCell = 12;

// Only the temperature area shows a minus sign; elsewhere "-" is just another
// non-digit and shows as 0.
enum class MinusSign { ShowsZero, ShowsMinus };

// Exactly max(cellCount, 0) cell codes from text, walked one character at a time:
//   "."           writes no cell; lights the point of the cell written last
//                 (ignored before the first cell)
//   "-"           the minus sign 0xBF, with MinusSign::ShowsMinus only
//   " "           a dark cell 0xFF
//   "0".."9"      that digit
//   anything else, and every position past the end of the text: the digit 0 (0xC0)
// The walk stops as soon as cellCount cells are written, so a "." right after the
// last cell is never read.
QByteArray toCellCodes(QStringView text, int cellCount, MinusSign minus = MinusSign::ShowsZero);

// The character one cell code shows, its point aside: '0'..'9', ' ' for a dark
// cell, '-' for the minus sign, '?' for any other pattern.
QChar cellGlyph(quint8 code);

bool pointLit(quint8 code);

// The glyphs of the cells in order, each lit point written as "." after its cell:
// F9 24 B0 99 reads "12.34", FF FF 7F 92 reads "  .5".
QString cellText(QByteArrayView cells);

} // namespace protocol
