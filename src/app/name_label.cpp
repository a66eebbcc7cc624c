#include "app/name_label.h"

#include "storage/display_cells.h"

#include <QFontInfo>
#include <QPainter>

namespace app {

NameLabel::NameLabel(int cellsPerLine, QWidget* parent) : QLabel(parent), m_cellsPerLine(cellsPerLine)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void NameLabel::setCaption(const QString& caption)
{
    m_caption = caption;
    setText(shownLines().join(QLatin1Char('\n')));
}

QStringList NameLabel::shownLines() const
{
    return storage::wrapToCells(m_caption, m_cellsPerLine);
}

int NameLabel::linePitch() const
{
    return QFontInfo(font()).pixelSize();
}

void NameLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    const int pitch = linePitch();
    const QStringList lines = shownLines();
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(QRect(0, int(i) * pitch, width(), pitch), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                         lines[i]);
}

} // namespace app
