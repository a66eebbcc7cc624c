#pragma once
#include <QIcon>

namespace app {

// The window icon: a rainbow arc above the letters LED, drawn at 32 x 32.
QIcon drawAppIcon();

} // namespace app
