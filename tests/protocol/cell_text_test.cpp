#include "protocol/segment.h"

#include <QByteArray>
#include <QString>

#include <array>

#include <gtest/gtest.h>

namespace {

struct Row {
    const char* name;
    const char* cells;
    const char* text;
};

// The thirteen codes every digit cell is drawn from: 0 to 9, the dark cell, the point's mask, the
// minus sign.
TEST(SegmentCodesTest, HoldTheThirteenCellCodes)
{
    const std::array<quint8, 13> codes{192, 249, 164, 176, 153, 146, 130, 248, 128, 144, 255, 127, 191};
    EXPECT_EQ(protocol::SegmentCodes, codes);
}

class CellTextTest : public ::testing::TestWithParam<Row> {};

TEST_P(CellTextTest, ReadsAsTheDigitsShown)
{
    const Row& row = GetParam();
    EXPECT_EQ(protocol::cellText(QByteArray::fromHex(row.cells)), QString::fromUtf8(row.text));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, CellTextTest,
    ::testing::Values(Row {"AllDigits", "C0 F9 A4 B0 99 92 82 F8 80 90", "0123456789"},
                      Row {"RoomRates", "F9 A4 B0 99 FF 12 82 FF", "1234 5.6 "},
                      Row {"ExchangeRow", "F9 A4 30 99 92 82 F9 A4 30 80 80 80", "123.456123.888"},
                      Row {"PointOnDarkCell", "FF 7F 92", "  .5"},
                      Row {"MinusSign", "BF 92 FF B0", "-5 3"},
                      Row {"MinusWithPoint", "3F", "-."},
                      Row {"UnknownPatterns", "7E FE 81", "?.??"},
                      Row {"EightWithPoint", "00", "8."},
                      Row {"Empty", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
