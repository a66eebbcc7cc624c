#include "byte_text.h"

#include "protocol/display_data.h"
#include "protocol/exchange_rate.h"
#include "protocol/room_rate.h"
#include "protocol/segment.h"
#include "protocol/temperature.h"

#include <array>

using namespace protocol;

namespace {

struct CellRow {
    const char* name;
    const char* text;   // UTF-8
    int cells;
    MinusSign minus;
    QByteArray expected;
};

class CellConversion : public testing::TestWithParam<CellRow> {};

TEST_P(CellConversion, GivesExactlyTheCells)
{
    const CellRow& row = GetParam();
    EXPECT_EQ(toCellCodes(QString::fromUtf8(row.text), row.cells, row.minus), row.expected);
}

constexpr MinusSign kZero = MinusSign::ShowsZero;
constexpr MinusSign kMinus = MinusSign::ShowsMinus;

INSTANTIATE_TEST_SUITE_P(Protocol, CellConversion, testing::Values(
    CellRow {"EveryDigit", "0123456789", 10, kZero, hex("C0 F9 A4 B0 99 92 82 F8 80 90")},
    CellRow {"BlankIsDark", " ", 1, kZero, hex("FF")},
    CellRow {"OtherCharactersShowZero", "A-x", 3, kZero, hex("C0 C0 C0")},
    CellRow {"FullWidthDigitShowsZero", "１", 1, kZero, hex("C0")},
    CellRow {"PastTheEndShowsZero", "1", 3, kZero, hex("F9 C0 C0")},
    CellRow {"PointLightsCellBefore", "1.2", 2, kZero, hex("79 A4")},
    CellRow {"PointOnDarkCell", " .5", 2, kZero, hex("7F 92")},
    CellRow {"PointBeforeFirstCellIgnored", ".5", 2, kZero, hex("92 C0")},
    CellRow {"PointAfterLastCellNeverRead", "12.", 2, kZero, hex("F9 A4")},
    CellRow {"LongerTextCut", "12345", 3, kZero, hex("F9 A4 B0")},
    CellRow {"ZeroCells", "123", 0, kZero, QByteArray()},
    CellRow {"NegativeCellCount", "123", -3, kZero, QByteArray()},
    CellRow {"MinusShowsZeroOutsideTemperature", "-5", 2, kZero, hex("C0 92")},
    CellRow {"MinusSignForTemperature", "-5", 2, kMinus, hex("BF 92")}),
    RowName());

struct AreaRow {
    const char* name;
    DisplayArea area;
    AreaProblem problem;
};

class AreaCheck : public testing::TestWithParam<AreaRow> {};

TEST_P(AreaCheck, NamesTheProblem)
{
    EXPECT_EQ(checkArea(GetParam().area), GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(Protocol, AreaCheck, testing::Values(
    AreaRow {"Zero", {0, 0}, AreaProblem::None},
    AreaRow {"Largest", {9999, 9999}, AreaProblem::None},
    AreaRow {"NegativeAddress", {-1, 4}, AreaProblem::AddressOutOfRange},
    AreaRow {"NegativeLength", {0, -1}, AreaProblem::LengthOutOfRange},
    AreaRow {"Address10000", {10000, 4}, AreaProblem::AddressOutOfRange},
    AreaRow {"Length10000", {0, 10000}, AreaProblem::LengthOutOfRange},
    AreaRow {"BothBadAddressFirst", {-5, 10000}, AreaProblem::AddressOutOfRange}),
    RowName());

TEST(DisplayData, LargestAreaFramed)
{
    const std::optional<QByteArray> frame = displayDataFrame(1, {9999, 9999}, QByteArray(9999, char(0xFF)));
    ASSERT_TRUE(frame.has_value());
    ASSERT_EQ(frame->size(), 10011);
    EXPECT_EQ(frame->first(10), hex("02 27 1B 01 EE 25 27 0F 27 0F"));
}

TEST(DisplayData, UnusableAreaOrWrongCellCountGivesNoFrame)
{
    EXPECT_EQ(displayDataFrame(1, {-1, 0}, QByteArray()), std::nullopt);
    EXPECT_EQ(displayDataFrame(1, {0, 10000}, QByteArray(10000, char(0xFF))), std::nullopt);
    EXPECT_EQ(displayDataFrame(1, {0, 4}, hex("FF FF FF")), std::nullopt);
    EXPECT_EQ(displayDataFrame(1, {0, 4}, hex("FF FF FF FF FF")), std::nullopt);
    EXPECT_EQ(roomRateFrame(1, {0, -4}, {}), std::nullopt);
    EXPECT_EQ(exchangeRateFrame(1, {-300, 12}, {}, {}), std::nullopt);
    EXPECT_EQ(temperatureFrame(1, {40, 10000}, "12", "18"), std::nullopt);
}

// ---- room rates ----

RoomRateFields roomRates(std::initializer_list<QString> leading, const QString& rest = "1234")
{
    RoomRateFields fields;
    fields.fill(rest);
    std::copy(leading.begin(), leading.end(), fields.begin());
    return fields;
}

struct RoomRateRow {
    const char* name;
    RoomRateFields fields;
    DisplayArea area;
    QByteArray expected;
};

class RoomRateFrame : public testing::TestWithParam<RoomRateRow> {};

TEST_P(RoomRateFrame, MatchesLine)
{
    const RoomRateRow& row = GetParam();
    EXPECT_EQ(roomRateFrame(1, row.area, row.fields), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Protocol, RoomRateFrame, testing::Values(
    RoomRateRow {"ThreeFieldsEightCells", roomRates({"1234", "5.6", "88"}), {0, 8},
                 hex("02 00 14 01 EE 25 00 00 00 08 F9 A4 B0 99 FF 12 82 FF 32 03")},
    RoomRateRow {"FortyCellsInitialTexts", roomRates({}), {0, 40},
                 hex("02 00 34 01 EE 25 00 00 00 28") + hex("F9 A4 B0 99").repeated(10) + hex("D6 03")},
    RoomRateRow {"FortyFourCellsEndInZeros", roomRates({}), {0, 44},
                 hex("02 00 38 01 EE 25 00 00 00 2C") + hex("F9 A4 B0 99").repeated(10)
                     + hex("C0 C0 C0 C0 DE 03")},
    RoomRateRow {"LengthZero", roomRates({}), {0, 0}, hex("02 00 0C 01 EE 25 00 00 00 00 C6 03")},
    RoomRateRow {"Address300", roomRates({}), {300, 0}, hex("02 00 0C 01 EE 25 01 2C 00 00 EB 03")}),
    RowName());

struct RoomRateCellRow {
    const char* name;
    RoomRateFields fields;
    int cells;
    QByteArray expected;
};

class RoomRateCells : public testing::TestWithParam<RoomRateCellRow> {};

TEST_P(RoomRateCells, GivesTheCells)
{
    const RoomRateCellRow& row = GetParam();
    const QString text = roomRateText(row.fields);
    EXPECT_EQ(text.size(), 40);
    EXPECT_EQ(toCellCodes(text, row.cells), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Protocol, RoomRateCells, testing::Values(
    RoomRateCellRow {"EmptyFieldFourDark", roomRates({""}), 4, hex("FF FF FF FF")},
    RoomRateCellRow {"LetterShowsZero", roomRates({"A1"}), 4, hex("FF FF C0 F9")},
    RoomRateCellRow {"LeadingPointOnDarkCell", roomRates({".5"}), 3, hex("FF 7F 92")},
    RoomRateCellRow {"PointFieldYieldsThreeCells", roomRates({"1.5", "2"}), 7, hex("FF 79 92 FF FF FF A4")},
    RoomRateCellRow {"LongFieldKeepsLastFour", roomRates({"12345"}), 4, hex("A4 B0 99 92")},
    RoomRateCellRow {"ThirtyTwoCellsFieldsZeroToSeven",
                     roomRates({"0000", "1111", "2222", "3333", "4444", "5555", "6666", "7777"}, "8888"), 32,
                     hex("C0C0C0C0 F9F9F9F9 A4A4A4A4 B0B0B0B0 99999999 92929292 82828282 F8F8F8F8")}),
    RowName());

// ---- exchange rates ----

ExchangeRateColumn column(std::initializer_list<QString> leading, const QString& rest)
{
    ExchangeRateColumn values;
    values.fill(rest);
    std::copy(leading.begin(), leading.end(), values.begin());
    return values;
}

const QByteArray kInitialRowCells = hex("F9 A4 30 99 92 82 F9 A4 30 80 80 80");

const ExchangeRateColumn kInitialA = column({}, "123.456");
const ExchangeRateColumn kInitialB = column({}, "123.888");

TEST(ExchangeRateFrame, RowZeroTwelveCells)
{
    EXPECT_EQ(exchangeRateFrame(1, {256, 12}, kInitialA, kInitialB),
              hex("02 00 18 01 EE 25 01 00 00 0C F9 A4 30 99 92 82 F9 A4 30 80 80 80 D6 03"));
}

TEST(ExchangeRateFrame, AllRowsHundredTwentyCells)
{
    EXPECT_EQ(exchangeRateFrame(1, {256, 120}, kInitialA, kInitialB),
              hex("02 00 84 01 EE 25 01 00 00 78") + kInitialRowCells.repeated(10) + hex("37 03"));
}

struct ExchangeRateCellRow {
    const char* name;
    ExchangeRateColumn a;
    ExchangeRateColumn b;
    int cells;
    QByteArray expected;
};

class ExchangeRateCells : public testing::TestWithParam<ExchangeRateCellRow> {};

TEST_P(ExchangeRateCells, GivesTheCells)
{
    const ExchangeRateCellRow& row = GetParam();
    const QString text = exchangeRateText(row.a, row.b);
    EXPECT_EQ(text.size(), 140);
    EXPECT_EQ(toCellCodes(text, row.cells), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Protocol, ExchangeRateCells, testing::Values(
    ExchangeRateCellRow {"OneAndHalf", column({"1.5"}, "123.456"), kInitialB, 6, hex("FF FF FF FF 79 92")},
    ExchangeRateCellRow {"TwelveAndHalf", column({"12.5"}, "123.456"), kInitialB, 6, hex("FF FF FF F9 24 92")},
    ExchangeRateCellRow {"EmptyRowFourteenDark", column({""}, "123.456"), column({""}, "123.888"), 14,
                         QByteArray(14, char(0xFF))},
    ExchangeRateCellRow {"FirstValueBeforeSecond", column({"1"}, ""), column({"2"}, ""), 14,
                         hex("FF FF FF FF FF FF F9 FF FF FF FF FF FF A4")},
    ExchangeRateCellRow {"LongValueKeepsLastSeven", column({"12345678"}, ""), kInitialB, 7,
                         hex("A4 B0 99 92 82 F8 80")},
    ExchangeRateCellRow {"SixtyCellsRowsZeroToFour",
                         column({"123.456", "123.456", "123.456", "123.456", "123.456"}, "7777777"),
                         column({"123.888", "123.888", "123.888", "123.888", "123.888"}, "7777777"), 60,
                         kInitialRowCells.repeated(5)}),
    RowName());

// ---- temperatures ----

struct TemperatureRow {
    const char* name;
    quint8 device;
    DisplayArea area;
    const char* low;
    const char* high;
    QByteArray expected;
};

class TemperatureFrame : public testing::TestWithParam<TemperatureRow> {};

TEST_P(TemperatureFrame, MatchesLine)
{
    const TemperatureRow& row = GetParam();
    EXPECT_EQ(temperatureFrame(row.device, row.area, row.low, row.high), row.expected);
}

const QByteArray kTemperatureHeader = hex("02 00 10 01 EE 25 00 28 00 04");

INSTANTIATE_TEST_SUITE_P(Protocol, TemperatureFrame, testing::Values(
    TemperatureRow {"TwelveEighteen", 1, {40, 4}, "12", "18", hex("02 00 10 01 EE 25 00 28 00 04 F9 A4 F9 80 D2 03")},
    TemperatureRow {"MinusFiveBlankThree", 1, {40, 4}, "-5", " 3", kTemperatureHeader + hex("BF 92 FF B0 94 03")},
    TemperatureRow {"MinusFiveThree", 1, {40, 4}, "-5", "3", kTemperatureHeader + hex("BF 92 B0 C0 AB 03")},
    TemperatureRow {"PointJoinsTwo", 1, {40, 4}, "2.", "18", kTemperatureHeader + hex("24 F9 80 C0 6B 03")},
    TemperatureRow {"SixCells", 1, {40, 6}, "12", "18", hex("02 00 12 01 EE 25 00 28 00 06 F9 A4 F9 80 C0 C0 D2 03")},
    TemperatureRow {"NoCells", 1, {40, 0}, "12", "18", hex("02 00 0C 01 EE 25 00 28 00 00 EE 03")},
    TemperatureRow {"ReloadedOneCharacterLow", 1, {40, 4}, "5 ", "18", kTemperatureHeader + hex("92 FF F9 80 E2 03")},
    TemperatureRow {"Device255Address0", 255, {0, 4}, "12", "18", hex("02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03")}),
    RowName());

TEST(Temperature, LowThenHighUnpadded)
{
    EXPECT_EQ(temperatureText("-5", "3"), QStringLiteral("-53"));
    EXPECT_EQ(temperatureText("12", "18"), QStringLiteral("1218"));
}

} // namespace
