#include "storage/display_cells.h"

#include <gtest/gtest.h>

namespace {

struct WrapRow {
    const char* name;
    std::string caption;
    int cellsPerLine;
    std::vector<const char*> lines;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const WrapRow& row, std::ostream* out)
{
    *out << row.name;
}

class WrapToCells : public ::testing::TestWithParam<WrapRow> {};

TEST_P(WrapToCells, BreaksWhereTheLabelWould)
{
    const WrapRow& row = GetParam();
    QStringList expected;
    for (const char* line : row.lines)
        expected << QString::fromUtf8(line);
    EXPECT_EQ(storage::wrapToCells(QString::fromStdString(row.caption), row.cellsPerLine), expected);
}

const std::string kRoomTypes = "豪华套房商务套房公寓套房行政单间行政标间单 人 间标 准 间 加    床";

INSTANTIATE_TEST_SUITE_P(
    Captions, WrapToCells,
    ::testing::Values(
        WrapRow{"RoomTypesAsDesigned", kRoomTypes, 8,
                {"豪华套房", "商务套房", "公寓套房", "行政单间", "行政标间", "单 人 间", "标 准 间", "加    床"}},
        WrapRow{"RoomTypesPaddedAsStored", kRoomTypes + std::string(63, ' '), 8,
                {"豪华套房", "商务套房", "公寓套房", "行政单间", "行政标间", "单 人 间", "标 准 间", "加    床"}},
        WrapRow{"CurrenciesTwoPerLine", "美元欧元英镑港币日元澳元", 4, {"美元", "欧元", "英镑", "港币", "日元", "澳元"}},
        WrapRow{"SpacesAtABreakAreDropped", "美元   欧元", 4, {"美元", "欧元"}},
        WrapRow{"SpacesThatFitStayInsideTheLine", "美 元", 8, {"美 元"}},
        WrapRow{"AsciiWordMovesWhole", "ab cdef", 4, {"ab", "cdef"}},
        WrapRow{"AsciiWordLongerThanALineIsCut", "abcdefghij", 4, {"abcd", "efgh", "ij"}},
        WrapRow{"ChineseAfterAsciiMayBreak", "USD美元", 4, {"USD", "美元"}},
        WrapRow{"OddCellsLeaveTheLastColumnEmpty", "美元欧", 3, {"美", "元", "欧"}},
        WrapRow{"EmptyCaptionHasNoLines", "", 8, {}},
        WrapRow{"OnlySpacesHaveNoLines", "     ", 8, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DisplayCells, ChineseCountsTwoAndAsciiOne)
{
    EXPECT_EQ(storage::displayCells(u"多云转晴"), 8);
    EXPECT_EQ(storage::displayCells(u"abc 12"), 6);
    EXPECT_EQ(storage::displayCells(u"温度：5"), 7);
    EXPECT_EQ(storage::displayCells(u""), 0);
    EXPECT_EQ(storage::displayCells(QString::fromUcs4(U"\U00020000")), 2) << "a character beyond the BMP is one character";
}

TEST(DisplayCells, CutKeepsWholeCharactersWithinTheLimit)
{
    EXPECT_EQ(storage::cutToCells(u"多云转晴有雨", 8), QStringLiteral("多云转晴"));
    EXPECT_EQ(storage::cutToCells(u"a多云", 4), QStringLiteral("a多")) << "half a Chinese character is never kept";
    EXPECT_EQ(storage::cutToCells(u"abcdefghij", 8), QStringLiteral("abcdefgh"));
    EXPECT_EQ(storage::cutToCells(u"12", 8), QStringLiteral("12"));
    EXPECT_EQ(storage::cutToCells(QString::fromUcs4(U"a\U00020000"), 2), QStringLiteral("a"))
        << "a surrogate pair is never split";
}

} // namespace
