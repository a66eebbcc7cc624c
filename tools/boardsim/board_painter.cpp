#include "board_painter.h"

#include "seven_segment.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace boardsim {

namespace {

constexpr int kMargin = 16;
constexpr int kCellWidth = 22;
constexpr int kCellHeight = 36;
constexpr int kGroupGap = 14;
constexpr int kRowGap = 6;
constexpr int kNameGap = 10;
constexpr int kColumnGap = 36;
constexpr int kAreaGap = 24;
constexpr int kDotPitch = 6;

const QColor kFaceColour(24, 24, 24);
const QColor kTitleColour(150, 150, 150);
const QColor kNameColour(235, 200, 120);
const QColor kDotLit(255, 30, 20);
const QColor kDotDark(60, 18, 14);
const QColor kClockColour(80, 230, 110);

struct AreaPlan {
    int nameWidth = 0;
    QSize size;
};

int titleHeight(const QFontMetrics& metrics)
{
    return metrics.height() + 4;
}

AreaPlan planArea(const LayoutArea& area, const QFontMetrics& metrics)
{
    AreaPlan plan;
    int cellsWidth = 0;
    for (const LayoutRow& row : area.rows) {
        plan.nameWidth = std::max(plan.nameWidth, metrics.horizontalAdvance(row.name));
        int width = 0;
        for (const CellGroup& group : row.groups)
            width += group.count * kCellWidth + kGroupGap;
        cellsWidth = std::max(cellsWidth, width - kGroupGap);
    }
    const int rows = int(area.rows.size());
    const int width = std::max(plan.nameWidth + kNameGap + cellsWidth, metrics.horizontalAdvance(area.title));
    plan.size = QSize(width, titleHeight(metrics) + rows * (kCellHeight + kRowGap));
    return plan;
}

QSize dotsSize()
{
    return QSize(protocol::kDotColumns * kDotPitch, protocol::kDotRows * kDotPitch);
}

int clockHeight(const QFontMetrics& metrics)
{
    return metrics.height() * 2;
}

int sideColumnHeight(const QFontMetrics& metrics)
{
    return titleHeight(metrics) + dotsSize().height() + kAreaGap + titleHeight(metrics) + clockHeight(metrics);
}

void paintArea(QPainter& painter, const LayoutArea& area, const AreaPlan& plan, QPoint at,
               const protocol::BoardModel& model)
{
    const QFontMetrics metrics(painter.font());
    painter.setPen(kTitleColour);
    painter.drawText(at.x(), at.y() + metrics.ascent(), area.title);
    int y = at.y() + titleHeight(metrics);
    for (const LayoutRow& row : area.rows) {
        painter.setPen(kNameColour);
        painter.drawText(QRect(at.x(), y, plan.nameWidth, kCellHeight), Qt::AlignLeft | Qt::AlignVCenter, row.name);
        int x = at.x() + plan.nameWidth + kNameGap;
        for (const CellGroup& group : row.groups) {
            for (int i = 0; i < group.count; ++i) {
                paintCell(painter, QRectF(x, y, kCellWidth, kCellHeight), model.cell(group.address + i));
                x += kCellWidth;
            }
            x += kGroupGap;
        }
        y += kCellHeight + kRowGap;
    }
}

void paintDots(QPainter& painter, QPoint at, const protocol::DotMatrix& dots)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int row = 0; row < protocol::kDotRows; ++row) {
        for (int x = 0; x < protocol::kDotColumns; ++x) {
            const bool lit = protocol::dotLit(dots, x, row);
            painter.setBrush(lit ? kDotLit : kDotDark);
            painter.drawEllipse(QRectF(at.x() + x * kDotPitch + 0.5, at.y() + row * kDotPitch + 0.5, kDotPitch - 1,
                                       kDotPitch - 1));
        }
    }
    painter.restore();
}

} // namespace

QFont boardFont()
{
    QFont font(QStringLiteral("WenQuanYi Zen Hei"));
    font.setPixelSize(16);
    return font;
}

QSize boardFaceSize(const BoardLayout& layout)
{
    const QFontMetrics metrics(boardFont());
    int width = kMargin;
    int height = 0;
    int lastWidth = dotsSize().width();
    int lastHeight = 0;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const QSize size = planArea(layout[i], metrics).size;
        if (i + 1 < layout.size()) {
            width += size.width() + kColumnGap;
            height = std::max(height, size.height());
        } else {
            lastWidth = std::max(lastWidth, size.width());
            lastHeight = size.height() + kAreaGap;
        }
    }
    width += lastWidth + kMargin;
    height = std::max(height, lastHeight + sideColumnHeight(metrics));
    return QSize(width, height + 2 * kMargin);
}

void paintBoardFace(QPainter& painter, const BoardFace& face)
{
    painter.save();
    painter.setFont(boardFont());
    const QFontMetrics metrics(painter.font());
    painter.fillRect(QRect(QPoint(0, 0), boardFaceSize(face.layout)), kFaceColour);

    int x = kMargin;
    int sideY = kMargin;
    for (std::size_t i = 0; i < face.layout.size(); ++i) {
        const AreaPlan plan = planArea(face.layout[i], metrics);
        paintArea(painter, face.layout[i], plan, QPoint(x, kMargin), face.model);
        if (i + 1 < face.layout.size())
            x += plan.size.width() + kColumnGap;
        else
            sideY += plan.size.height() + kAreaGap;
    }

    painter.setPen(kTitleColour);
    painter.drawText(x, sideY + metrics.ascent(), QStringLiteral("Weather text"));
    sideY += titleHeight(metrics);
    paintDots(painter, QPoint(x, sideY), face.model.dots());
    sideY += dotsSize().height() + kAreaGap;

    painter.setPen(kTitleColour);
    painter.drawText(x, sideY + metrics.ascent(), QStringLiteral("Clock"));
    sideY += titleHeight(metrics);
    QFont clockFont = painter.font();
    clockFont.setPixelSize(28);
    painter.setFont(clockFont);
    painter.setPen(face.clock ? kClockColour : kTitleColour);
    const QString clock = face.clock ? face.clock->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QStringLiteral("not set");
    painter.drawText(QRect(x, sideY, dotsSize().width(), clockHeight(metrics)), Qt::AlignLeft | Qt::AlignVCenter, clock);
    painter.restore();
}

} // namespace boardsim
