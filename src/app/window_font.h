#pragma once
#include <QFont>
#include <QString>

namespace app {

// The window's typeface: "宋体" where it is installed, otherwise WenQuanYi Zen Hei, the CJK font
// that the set-up scripts install. Finding it asks the font configuration about each candidate,
// which costs more than building a control: a window finds it once and makes every font of its
// controls from that one answer.
QString uiFontFamily();

QFont uiFont(const QString& family, qreal points, bool bold);

} // namespace app
