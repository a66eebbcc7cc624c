#pragma once
// The round lamp beside the port number: it shows how the last attempt to open the port went.
#include <QColor>
#include <QWidget>

namespace app {

class StatusLamp : public QWidget {
    Q_OBJECT
public:
    explicit StatusLamp(QWidget* parent = nullptr);

    QColor fillColour() const { return m_fill; }

    void showUntried();                          // red: no open attempt yet
    void showOpen();                             // green
    void showFailed(const QString& reason);      // black; the reason stays in the tooltip

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setFill(QColor colour);

    QColor m_fill;
};

} // namespace app
