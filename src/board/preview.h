#pragma once
// The board as it would look once a content were sent: the cells of each display area and the
// weather text's dots, taken from the engine's own frames as the virtual board's model takes
// them, so that what is shown is what the board gets. The window, the page and a script may all
// draw it; the engine builds the frames, nothing here lays out a cell itself.
//
// Example, the page's draft with the low temperature "5" and the high "9":
//   const board::Preview shown = board::preview(board::asStored(draft), draw);
//   shown.area(storage::Area::Temperature).cells == "\x92\xFF\x90\xFF"   (5, dark, 9, dark)
// which are the cells the send of that draft puts on the line once the draft is saved.
#include "board/board_engine.h"
#include "board/content_edit.h"
#include "board/outcome.h"
#include "protocol/display_data.h"
#include "protocol/dot_matrix.h"
#include "storage/board_content.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace board {

struct AreaPreview {
    storage::Area area = storage::Area::Rooms;
    protocol::DisplayArea place;
    QByteArray cells;        // the area's cell codes in area order
    std::vector<int> groups; // how many cells each group of one of the board's rows holds
    std::optional<Problem> problem; // the area cannot be framed: no cells
};

struct Preview {
    std::array<AreaPreview, std::size(storage::kAreas)> areas;
    QString weatherText; // as the board shows it, without the file's padding
    // The matrix as the board shows it after the send; nullopt when no font can draw the text,
    // with the operator's words for it in `missing`.
    std::optional<protocol::DotMatrix> dots;
    QString missing;
    std::optional<WeatherCut> cut; // only for a text wider than the matrix
    // The names beside the rows, a line each, as the window's labels wrap them.
    QStringList roomNames;
    QStringList currencyNames;

    const AreaPreview& area(storage::Area which) const { return areas[std::size_t(which)]; }
};

// The content a send takes once this content is saved: each text padded or cut to its field as
// the content file keeps it (a one-digit temperature "5" is sent as "5 "). A front end that
// saves before it sends previews this; one that sends its fields as they are previews them.
storage::BoardContent asStored(const storage::BoardContent& content);

// The board after sends of the rooms, the rates and the weather of the content, to every device.
Preview preview(const storage::BoardContent& content, const WeatherDrawing& draw);

} // namespace board
