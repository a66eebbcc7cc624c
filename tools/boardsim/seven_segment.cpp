#include "seven_segment.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>

namespace boardsim {

namespace {

struct Geometry {
    qreal left, right, top, middle, bottom, thickness;
    QPointF point;
};

Geometry geometryOf(const QRectF& rect)
{
    Geometry g;
    g.thickness = std::min(rect.width(), rect.height()) * 0.13;
    g.left = rect.left() + rect.width() * 0.14;
    g.right = rect.left() + rect.width() * 0.72;
    g.top = rect.top() + rect.height() * 0.08;
    g.bottom = rect.bottom() - rect.height() * 0.08;
    g.middle = (g.top + g.bottom) / 2;
    g.point = QPointF(rect.left() + rect.width() * 0.87, g.bottom - g.thickness / 2);
    return g;
}

// A bar with pointed ends from one point to another, horizontal or vertical.
QPolygonF bar(QPointF from, QPointF to, qreal thickness)
{
    const qreal half = thickness / 2;
    const qreal gap = thickness * 0.15;
    if (from.y() == to.y()) {
        const qreal y = from.y();
        const qreal a = from.x() + gap;
        const qreal b = to.x() - gap;
        return QPolygonF({{a, y}, {a + half, y - half}, {b - half, y - half}, {b, y}, {b - half, y + half}, {a + half, y + half}});
    }
    const qreal x = from.x();
    const qreal a = from.y() + gap;
    const qreal b = to.y() - gap;
    return QPolygonF({{x, a}, {x + half, a + half}, {x + half, b - half}, {x, b}, {x - half, b - half}, {x - half, a + half}});
}

QPolygonF segmentShape(Segment segment, const Geometry& g)
{
    switch (segment) {
    case Segment::A: return bar({g.left, g.top}, {g.right, g.top}, g.thickness);
    case Segment::B: return bar({g.right, g.top}, {g.right, g.middle}, g.thickness);
    case Segment::C: return bar({g.right, g.middle}, {g.right, g.bottom}, g.thickness);
    case Segment::D: return bar({g.left, g.bottom}, {g.right, g.bottom}, g.thickness);
    case Segment::E: return bar({g.left, g.middle}, {g.left, g.bottom}, g.thickness);
    case Segment::F: return bar({g.left, g.top}, {g.left, g.middle}, g.thickness);
    case Segment::G: return bar({g.left, g.middle}, {g.right, g.middle}, g.thickness);
    case Segment::Point: break;
    }
    return {};
}

} // namespace

void paintCell(QPainter& painter, const QRectF& rect, quint8 code, const SegmentColours& colours)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect, colours.background);
    painter.setPen(Qt::NoPen);
    const Geometry g = geometryOf(rect);
    for (int bit = 0; bit < 8; ++bit) {
        const Segment segment = Segment(bit);
        painter.setBrush((code & (1 << bit)) == 0 ? colours.lit : colours.dark);
        if (segment == Segment::Point)
            painter.drawEllipse(g.point, g.thickness * 0.6, g.thickness * 0.6);
        else
            painter.drawPolygon(segmentShape(segment, g));
    }
    painter.restore();
}

QPointF segmentCentre(Segment segment, const QRectF& rect)
{
    const Geometry g = geometryOf(rect);
    if (segment == Segment::Point)
        return g.point;
    return segmentShape(segment, g).boundingRect().center();
}

} // namespace boardsim
