#pragma once
// A label that shows its caption as a column of lines wrapped at a fixed number of display
// cells, the way the room-type and currency names stand beside their rows of fields. The caption
// itself is kept unwrapped: it is what the board content file stores. Lines are one em apart,
// as in the board's own bitmap font, so that each name stays beside its row of fields whatever
// line spacing the installed font asks for.
#include <QLabel>

namespace app {

class NameLabel : public QLabel {
    Q_OBJECT
public:
    NameLabel(int cellsPerLine, QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QStringList shownLines() const;
    int linePitch() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_cellsPerLine;
    QString m_caption;
};

} // namespace app
