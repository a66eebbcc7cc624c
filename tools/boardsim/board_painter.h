#pragma once

// Draws the whole board face: the digit areas with their row names, the
// weather dot matrix and the clock.

#include "board_layout.h"
#include "protocol/board_model.h"

#include <QDateTime>
#include <QFont>
#include <QSize>

#include <optional>

class QPainter;

namespace boardsim {

struct BoardFace {
    const BoardLayout& layout;
    const protocol::BoardModel& model;
    std::optional<QDateTime> clock;   // none: the clock has not been set
};

// The font of titles, row names and the clock; Chinese names need a CJK family.
QFont boardFont();

// Size the face needs, for the window's size hint.
QSize boardFaceSize(const BoardLayout& layout);

// Paints the face with its top-left corner at (0, 0). The digit areas stand side
// by side; the last one shares its column with the dot matrix and the clock.
void paintBoardFace(QPainter& painter, const BoardFace& face);

} // namespace boardsim
