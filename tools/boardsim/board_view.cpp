#include "board_view.h"

#include "board_painter.h"

#include <QPainter>

namespace boardsim {

BoardView::BoardView(const BoardSession& session, std::optional<BoardLayout> contentLayout, QWidget* parent)
    : QWidget(parent)
    , m_session(session)
    , m_contentLayout(std::move(contentLayout))
{
    m_tick.setInterval(200);
    connect(&m_tick, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    m_tick.start();
    connect(&session, &BoardSession::frameHandled, this, [this] {
        if (!m_contentLayout)
            updateGeometry();
        update();
    });
}

QSize BoardView::sizeHint() const
{
    return boardFaceSize(currentLayout());
}

void BoardView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(24, 24, 24));
    const BoardLayout layout = currentLayout();
    paintBoardFace(painter, {layout, m_session.model(), m_session.clock()});
}

BoardLayout BoardView::currentLayout() const
{
    return m_contentLayout ? *m_contentLayout : plainLayout(m_session.model());
}

} // namespace boardsim
