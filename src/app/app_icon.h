#pragma once
#include <QIcon>
#include <QImage>

namespace app {

// The program's icon, a rainbow arc above the letters LED, drawn at size x size pixels. The
// drawing is laid out on a 32-unit grid and scaled, so every size shows the same picture; the
// installed icon files are made from this too.
QImage drawAppIconImage(int size);

// The window icon, with the sizes window systems ask for.
QIcon drawAppIcon();

} // namespace app
