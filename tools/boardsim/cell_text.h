#pragma once

// What a row of seven-segment cells reads as, for logs and tests.

#include <QByteArrayView>
#include <QChar>
#include <QString>
#include <QtGlobal>

namespace boardsim {

// The character one cell code shows, its point aside: '0'..'9', ' ' for a dark
// cell, '-' for the minus sign, '?' for any other pattern.
QChar cellGlyph(quint8 code);

bool pointLit(quint8 code);

// The glyphs of the cells in order, each lit point written as "." after its cell:
// F9 24 B0 99 reads "12.34", FF FF 7F 92 reads "  .5".
QString cellText(QByteArrayView cells);

} // namespace boardsim
