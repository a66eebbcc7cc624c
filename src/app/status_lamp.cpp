#include "app/status_lamp.h"

#include <QPainter>
#include <QTextDocument>

namespace app {

StatusLamp::StatusLamp(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    showUntried();
}

void StatusLamp::showUntried()
{
    setToolTip(QString());
    setFill(QColor(255, 0, 0));
}

void StatusLamp::showOpen()
{
    setToolTip(QString());
    setFill(QColor(0, 255, 0));
}

void StatusLamp::showFailed(const QString& reason)
{
    // A tooltip renders anything that looks like markup; the reason may quote a typed port name.
    setToolTip(Qt::convertFromPlainText(reason));
    setFill(QColor(0, 0, 0));
}

void StatusLamp::setFill(QColor colour)
{
    m_fill = colour;
    update();
}

void StatusLamp::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_fill);
    painter.drawEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace app
