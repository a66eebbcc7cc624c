#pragma once
#include <QFont>
#include <QString>

namespace app {

// The window's typeface: "宋体" where it is installed, otherwise WenQuanYi Zen Hei, the CJK font
// that the set-up scripts install.
QString uiFontFamily();

QFont uiFont(qreal points, bool bold);

} // namespace app
