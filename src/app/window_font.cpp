#include "app/window_font.h"

#include <QFontDatabase>

namespace app {

QString uiFontFamily()
{
    for (const QString& songTi : {QStringLiteral("宋体"), QStringLiteral("SimSun")}) {
        if (QFontDatabase::hasFamily(songTi))
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
