#pragma once
#include <QIcon>
#include <QString>

namespace app {

// The window icon: a rainbow arc above the letters LED, drawn at 32 x 32 in the given family,
// the window's own, which the font configuration has already matched.
QIcon drawAppIcon(const QString& family);

} // namespace app
