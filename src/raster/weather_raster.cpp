#include "raster/weather_raster.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace raster {

namespace {

// 96 dots per inch, so that a 12-point font is 16 pixels high whatever the
// screen: 96 / 0.0254 dots per metre, rounded.
constexpr int kDotsPerMetre = 3780;

constexpr QRgb kBackground = qRgb(0, 0, 0);
constexpr QRgb kInk = qRgb(255, 0, 0);
constexpr int kLitThreshold = 128;

} // namespace

QImage renderWeatherText(const QString& text, const QFont& font)
{
    QImage image(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMetre);
    image.setDotsPerMeterY(kDotsPerMetre);
    image.fill(kBackground);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(kInk));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setLayoutDirection(Qt::LeftToRight);
    // drawText() places the baseline; the cell's top lies one ascent above it.
    const QFontMetrics metrics(painter.font(), &image);
    painter.drawText(QPoint(0, metrics.ascent()), text);
    painter.end();
    return image;
}

bool isLitDot(QRgb colour)
{
    const int value = qBlue(colour) * 65536 + qGreen(colour) * 256 + qRed(colour);
    return value > kLitThreshold;
}

DotMatrix packDots(const QImage& image)
{
    DotMatrix dots{};
    const int width = std::min(image.width(), protocol::kDotColumns);
    const int height = std::min(image.height(), protocol::kDotRows);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (isLitDot(image.pixel(x, y)))
                protocol::lightDot(dots, x, y);
        }
    }
    return dots;
}

DotMatrix rasterizeWeatherText(const QString& text, const QFont& font)
{
    return packDots(renderWeatherText(text, font));
}

} // namespace raster
