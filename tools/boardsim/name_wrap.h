#pragma once

// Breaks a caption of names into the lines a label of a given width shows.

#include <QString>
#include <QStringList>

namespace boardsim {

// Display cells of text: a Chinese (non-ASCII) character takes 2, any other 1.
int displayCells(const QString& text);

// Greedy wrap at lineCells display cells: a line may break between any two
// Chinese characters or at a space; spaces at a break are dropped, spaces inside
// a line kept. A run of ASCII characters longer than a line is cut by characters.
// With 8 cells, "豪华套房商务套房" gives "豪华套房", "商务套房"; "单 人 间 加    床"
// gives "单 人 间", "加    床".
QStringList wrapByCells(const QString& text, int lineCells);

} // namespace boardsim
