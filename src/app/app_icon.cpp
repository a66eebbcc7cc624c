#include "app/app_icon.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace app {

namespace {

constexpr int kGrid = 32;

} // namespace

QImage drawAppIconImage(int size, const QString& family)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(qreal(size) / kGrid, qreal(size) / kGrid);

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
    painter.drawText(QRect(0, 16, kGrid, 16), Qt::AlignCenter, QStringLiteral("LED"));
    painter.end();
    return image;
}

QIcon drawAppIcon(const QString& family)
{
    return QIcon(QPixmap::fromImage(drawAppIconImage(kGrid, family)));
}

} // namespace app
