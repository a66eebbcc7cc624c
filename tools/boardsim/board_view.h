#pragma once

// The board face on screen, repainted as frames arrive and as its clock runs.

#include "board_layout.h"
#include "board_session.h"

#include <QTimer>
#include <QWidget>

#include <optional>

namespace boardsim {

class BoardView : public QWidget {
    Q_OBJECT
public:
    // Without a content layout the view shows the written display memory in plain rows.
    BoardView(const BoardSession& session, std::optional<BoardLayout> contentLayout, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BoardLayout currentLayout() const;

    const BoardSession& m_session;
    std::optional<BoardLayout> m_contentLayout;
    QTimer m_tick;
};

} // namespace boardsim
