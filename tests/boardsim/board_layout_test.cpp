#include "board_layout.h"
#include "protocol/board_model.h"

#include <gtest/gtest.h>

using boardsim::CellGroup;

namespace {

const QString kRoomNames = QStringLiteral("豪华套房商务套房公寓套房行政单间行政标间单 人 间标 准 间 加    床");
const QString kCurrencyNames = QStringLiteral("美元欧元英镑港币日元澳元");

storage::BoardContent content(qint16 fjAddress, qint16 fjLength, qint16 wbAddress, qint16 wbLength, qint16 wenDuAddress,
                              qint16 wenDuLength)
{
    storage::BoardContent c;
    c.fjAddress = fjAddress;
    c.fjLength = fjLength;
    c.wbAddress = wbAddress;
    c.wbLength = wbLength;
    c.wenDuAddress = wenDuAddress;
    c.wenDuLength = wenDuLength;
    c.fjNames = kRoomNames;
    c.wbNames = kCurrencyNames;
    return c;
}

TEST(BoardLayoutTest, AreasAreGroupedAsOnTheBoard)
{
    const boardsim::BoardLayout layout = boardsim::contentLayout(content(0, 40, 40, 120, 160, 4));
    ASSERT_EQ(layout.size(), 3u);

    const auto& rooms = layout[0];
    ASSERT_EQ(rooms.rows.size(), 10u);
    EXPECT_EQ(rooms.rows[0].name, QStringLiteral("豪华套房"));
    EXPECT_EQ(rooms.rows[7].name, QStringLiteral("加    床"));
    EXPECT_TRUE(rooms.rows[8].name.isEmpty());
    EXPECT_EQ(rooms.rows[9].groups, (std::vector<CellGroup> {{36, 4}}));

    const auto& rates = layout[1];
    ASSERT_EQ(rates.rows.size(), 10u);
    EXPECT_EQ(rates.rows[0].name, QStringLiteral("美元"));
    EXPECT_EQ(rates.rows[0].groups, (std::vector<CellGroup> {{40, 6}, {46, 6}}));
    EXPECT_EQ(rates.rows[9].groups, (std::vector<CellGroup> {{148, 6}, {154, 6}}));

    EXPECT_EQ(layout[2].rows.at(0).groups, (std::vector<CellGroup> {{160, 2}, {162, 2}}));
    EXPECT_EQ(boardsim::areaAt(layout, 40), QStringLiteral("Exchange rates"));
    EXPECT_TRUE(boardsim::areaAt(layout, 41).isEmpty());
}

TEST(BoardLayoutTest, PartialRowsAndUnframableAreas)
{
    const boardsim::BoardLayout layout = boardsim::contentLayout(content(0, 6, -1, 12, 100, 3));
    ASSERT_EQ(layout.size(), 2u) << "a negative address cannot be framed";
    EXPECT_EQ(layout[0].rows.at(1).groups, (std::vector<CellGroup> {{4, 2}}));
    EXPECT_EQ(layout[1].rows.at(0).groups, (std::vector<CellGroup> {{100, 2}, {102, 1}}));
}

TEST(BoardLayoutTest, PlainRowsCoverWhatWasWritten)
{
    protocol::BoardModel board(1);
    EXPECT_TRUE(boardsim::plainLayout(board).at(0).rows.empty());
    protocol::DecodedFrame frame;
    frame.address = 1;
    frame.command = 0x25;
    frame.payload = QByteArray::fromHex("01 04 00 04 F9 A4 F9 80");   // address 260, 4 cells
    board.apply(frame, 0);
    const auto rows = boardsim::plainLayout(board).at(0).rows;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].name, QStringLiteral("00256"));
    EXPECT_EQ(rows[0].groups, (std::vector<CellGroup> {{256, 16}}));
}

} // namespace
