#pragma once

// Paints one seven-segment cell as the board shows it.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QtGlobal>

class QPainter;

namespace boardsim {

// In bit order of a cell code: bit 0 is segment a, ..., bit 6 segment g, bit 7 the point.
enum class Segment { A, B, C, D, E, F, G, Point };

struct SegmentColours {
    QColor lit {255, 40, 20};
    QColor dark {48, 16, 12};
    QColor background {12, 12, 12};
};

// Fills rect with the background and draws every segment and the point, lit
// where the code has a 0 bit. The digit is upright, in the left part of rect;
// the point sits at its lower right.
void paintCell(QPainter& painter, const QRectF& rect, quint8 code, const SegmentColours& colours = {});

// A point well inside the shape of segment in a cell painted into rect.
QPointF segmentCentre(Segment segment, const QRectF& rect);

} // namespace boardsim
