#pragma once
// Width of text as the board's operators see it in the window's fields and name labels: the
// window's texts are GB2312, where an ASCII character takes one display cell and any other
// character (a Chinese or full-width one) two.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace storage {

int displayCells(QStringView text);

// The longest start of text that fits in limit cells; a character is never split.
QString cutToCells(QStringView text, int limit);

// Word wrap of a label caption at cellsPerLine cells. A line may break between two characters
// when either of them is Chinese, or at a run of spaces; the spaces at a break are dropped, and
// so are spaces at the very end. An ASCII word longer than a line is broken where it must.
QStringList wrapToCells(QStringView caption, int cellsPerLine);

} // namespace storage
