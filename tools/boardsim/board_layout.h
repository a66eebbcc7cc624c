#pragma once

// How the board's display memory is grouped into rows of digit cells on the
// wall: from the board content file where there is one, else plain rows of
// whatever has been written.

#include "protocol/exchange_rate.h"
#include "protocol/room_rate.h"
#include "storage/board_content.h"

#include <QString>

#include <vector>

namespace protocol {
class BoardModel;
}

namespace boardsim {

struct CellGroup {
    int address = 0;
    int count = 0;

    friend bool operator==(const CellGroup&, const CellGroup&) = default;
};

struct LayoutRow {
    QString name;                    // shown left of the cells; may be empty
    std::vector<CellGroup> groups;   // drawn left to right with a gap between
};

struct LayoutArea {
    QString title;
    int address = 0;
    int length = 0;
    std::vector<LayoutRow> rows;
};

using BoardLayout = std::vector<LayoutArea>;

// Room rates four cells a row beside the wrapped room-type names, exchange rates
// two values of six cells a row beside the currency names, the temperature area
// split into a low and a high half. An area with a negative address or length
// (which no frame can carry) is left out.
BoardLayout contentLayout(const storage::BoardContent& content);

// Rows of rowCells cells for every block of memory that holds a written cell,
// named by their start address, at most maxRows rows.
BoardLayout plainLayout(const protocol::BoardModel& model, int rowCells = 16, int maxRows = 24);

// Title of the area that starts at address, empty when none does.
QString areaAt(const BoardLayout& layout, int address);

} // namespace boardsim
