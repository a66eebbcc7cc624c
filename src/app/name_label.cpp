#include "app/name_label.h"

#include "app/display_cells.h"

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
    return wrapToCells(m_caption, m_cellsPerLine);
}

} // namespace app
