#pragma once
#include <QIcon>
#include <QImage>
#include <QString>

namespace app {

// The program's icon, a rainbow arc above the letters LED in the given family (the window's own,
// which the font configuration has already matched), drawn at size x size pixels. The drawing is
// laid out on a 32-unit grid and scaled, so every size shows the same picture; the installed icon
// files are made from this too.
QImage drawAppIconImage(int size, const QString& family);

// The window icon: the 32 x 32 drawing.
QIcon drawAppIcon(const QString& family);

} // namespace app
