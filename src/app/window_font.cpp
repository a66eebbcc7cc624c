#include "app/window_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace app {

QString uiFontFamily()
{
    // The installed names, not hasFamily(): that also asks the font configuration to resolve
    // each name as an alias, which costs a quarter of the start-up, and an alias is no SimSun.
    const QStringList installed = QFontDatabase::families();
    for (const QString& songTi : {QStringLiteral("宋体"), QStringLiteral("SimSun")}) {
        if (installed.contains(songTi))
            return songTi;
    }
    return QStringLiteral("WenQuanYi Zen Hei");
}

QFont uiFont(const QString& family, qreal points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace app
