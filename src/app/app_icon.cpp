#include "app/app_icon.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace app {

QIcon drawAppIcon(const QString& family)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    static constexpr QRgb kRainbow[] = {0xff0000, 0xff8000, 0xffff00, 0x00c000, 0x0080ff, 0x0000ff, 0x8000ff};
    QLinearGradient gradient(2, 0, 30, 0);
    const int bands = int(std::size(kRainbow));
    for (int i = 0; i < bands; ++i)
        gradient.setColorAt(qreal(i) / (bands - 1), QColor(kRainbow[i]));

    QPainterPath arc;
    arc.moveTo(3, 15);
    arc.quadTo(16, -3, 29, 15);
    painter.setPen(QPen(QBrush(gradient), 4, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(arc);

    QFont font(family);
    font.setPixelSize(13);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(0xc0, 0, 0));
    painter.drawText(QRect(0, 16, 32, 16), Qt::AlignCenter, QStringLiteral("LED"));
    painter.end();
    return QIcon(pixmap);
}

} // namespace app
