#include "board_layout.h"

#include "protocol/board_model.h"
#include "storage/display_cells.h"

#include <algorithm>

namespace boardsim {

namespace {

// rows of groupsPerRow groups of groupCells cells each, covering length cells from address.
std::vector<LayoutRow> rowsOf(int address, int length, int groupCells, int groupsPerRow, const QStringList& names)
{
    std::vector<LayoutRow> rows;
    const int rowCells = groupCells * groupsPerRow;
    for (int start = 0; start < length; start += rowCells) {
        LayoutRow row;
        const int index = int(rows.size());
        if (index < names.size())
            row.name = names.at(index);
        for (int g = start; g < std::min(start + rowCells, length); g += groupCells)
            row.groups.push_back({address + g, std::min(groupCells, length - g)});
        rows.push_back(row);
    }
    return rows;
}

bool framable(int address, int length)
{
    return address >= 0 && length >= 0;
}

} // namespace

BoardLayout contentLayout(const storage::BoardContent& content)
{
    BoardLayout layout;
    if (framable(content.fjAddress, content.fjLength)) {
        layout.push_back({QStringLiteral("Room rates"), content.fjAddress, content.fjLength,
                          rowsOf(content.fjAddress, content.fjLength,
                                 storage::faceRowGroups(storage::Area::Rooms, content.fjLength).front(), 1,
                                 storage::wrapToCells(content.fjNames, storage::kRoomNameLineCells))});
    }
    if (framable(content.wbAddress, content.wbLength)) {
        layout.push_back({QStringLiteral("Exchange rates"), content.wbAddress, content.wbLength,
                          rowsOf(content.wbAddress, content.wbLength,
                                 storage::faceRowGroups(storage::Area::Rates, content.wbLength).front(), 2,
                                 storage::wrapToCells(content.wbNames, storage::kCurrencyNameLineCells))});
    }
    if (framable(content.wenDuAddress, content.wenDuLength)) {
        const int low = storage::faceRowGroups(storage::Area::Temperature, content.wenDuLength).front();
        LayoutRow row {QStringLiteral("Low ~ high"), {}};
        row.groups.push_back({content.wenDuAddress, low});
        if (content.wenDuLength > low)
            row.groups.push_back({content.wenDuAddress + low, content.wenDuLength - low});
        layout.push_back({QStringLiteral("Temperature"), content.wenDuAddress, content.wenDuLength, {row}});
    }
    return layout;
}

BoardLayout plainLayout(const protocol::BoardModel& model, int rowCells, int maxRows)
{
    LayoutArea area {QStringLiteral("Display memory"), 0, 0, {}};
    for (int start : model.writtenBlocks(rowCells)) {
        if (int(area.rows.size()) >= maxRows)
            break;
        area.rows.push_back({QString::number(start).rightJustified(5, u'0'), {{start, rowCells}}});
    }
    return {area};
}

QString areaAt(const BoardLayout& layout, int address)
{
    for (const LayoutArea& area : layout) {
        if (area.address == address && area.length > 0)
            return area.title;
    }
    return {};
}

} // namespace boardsim
