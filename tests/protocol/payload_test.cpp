#include "byte_text.h"

#include "protocol/clock.h"
#include "protocol/connection_test.h"
#include "protocol/display_data.h"
#include "protocol/weather_dots.h"

#include <QDateTime>

#include <optional>
#include <variant>

using namespace protocol;

namespace {

// A parser's answer as the tables state it: the value, or nullopt for a fault.
template <typename T>
std::optional<T> valueOf(const PayloadParse<T>& parsed)
{
    if (const auto* fault = std::get_if<PayloadFault>(&parsed)) {
        EXPECT_FALSE(fault->reason.isEmpty()) << "a fault says what is wrong";
        return std::nullopt;
    }
    return std::get<T>(parsed);
}

// Payloads are offsets 6 .. N-3 of the frames the program sends.
struct DisplayRow {
    const char* name;
    QByteArray payload;
    std::optional<int> address;
    QByteArray cells;
};

class DisplayDataPayload : public testing::TestWithParam<DisplayRow> {};

TEST_P(DisplayDataPayload, GivesAddressAndCells)
{
    const DisplayRow& row = GetParam();
    const std::optional<DisplayWrite> write = valueOf(parseDisplayData(row.payload));
    ASSERT_EQ(write.has_value(), row.address.has_value());
    if (write) {
        EXPECT_EQ(write->address, *row.address);
        EXPECT_EQ(write->cells, row.cells);
    }
}

INSTANTIATE_TEST_SUITE_P(Protocol, DisplayDataPayload, testing::Values(
    DisplayRow {"ExchangeRow0", hex("01 00 00 0C F9 A4 30 99 92 82 F9 A4 30 80 80 80"), 256,
                hex("F9 A4 30 99 92 82 F9 A4 30 80 80 80")},
    DisplayRow {"NoCells", hex("00 00 00 00"), 0, QByteArray()},
    DisplayRow {"Address300", hex("01 2C 00 01 C0"), 300, hex("C0")},
    DisplayRow {"HighestAddress", hex("FF FF 00 02 F9 A4"), 65535, hex("F9 A4")},
    DisplayRow {"CountAboveCellsCarried", hex("00 00 00 08 F9 A4 F9 80"), std::nullopt, {}},
    DisplayRow {"CountBelowCellsCarried", hex("00 00 00 02 F9 A4 F9"), std::nullopt, {}},
    DisplayRow {"HeaderCut", hex("00 28 00"), std::nullopt, {}}),
    RowName());

struct ClockRow {
    const char* name;
    QByteArray payload;
    std::optional<QDateTime> time;
};

class ClockPayload : public testing::TestWithParam<ClockRow> {};

TEST_P(ClockPayload, GivesTheWallClockTime)
{
    EXPECT_EQ(valueOf(parseClock(GetParam().payload)), GetParam().time);
}

QDateTime wallClock(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

INSTANTIATE_TEST_SUITE_P(Protocol, ClockPayload, testing::Values(
    ClockRow {"Evening20120523", hex("0C 05 17 14 0E 06"), wallClock(2012, 5, 23, 20, 14, 6)},
    ClockRow {"Midnight20000101", hex("00 01 01 00 00 00"), wallClock(2000, 1, 1, 0, 0, 0)},
    ClockRow {"LastSecondOf2099", hex("63 0C 1F 17 3B 3B"), wallClock(2099, 12, 31, 23, 59, 59)},
    ClockRow {"Month13", hex("0C 0D 17 14 0E 06"), std::nullopt},
    ClockRow {"Hour24", hex("0C 05 17 18 0E 06"), std::nullopt},
    ClockRow {"February30", hex("0C 02 1E 00 00 00"), std::nullopt},
    ClockRow {"YearByte100", hex("64 01 01 00 00 00"), std::nullopt},
    ClockRow {"BcdNotBinary", hex("12 05 23 20 14 06"), std::nullopt},
    ClockRow {"FiveBytes", hex("0C 05 17 14 0E"), std::nullopt}),
    RowName());

struct DotRow {
    const char* name;
    QByteArray payload;
    std::optional<DotMatrix> dots;
};

class WeatherDotPayload : public testing::TestWithParam<DotRow> {};

TEST_P(WeatherDotPayload, GivesTheMatrix)
{
    EXPECT_EQ(valueOf(parseWeatherDots(GetParam().payload)), GetParam().dots);
}

DotMatrix cornerDots()
{
    DotMatrix dots {};
    dots.front() = 0x80;   // the top left dot
    dots.back() = 0x01;    // the bottom right dot
    return dots;
}

const QByteArray kDotHeader = hex("00 01 C0 00 08 10");

INSTANTIATE_TEST_SUITE_P(Protocol, WeatherDotPayload, testing::Values(
    DotRow {"NoDots", kDotHeader + QByteArray(128, '\0'), DotMatrix {}},
    DotRow {"Corners", kDotHeader + hex("80") + QByteArray(126, '\0') + hex("01"), cornerDots()},
    DotRow {"OtherFixedBytes", hex("00 01 C1 00 08 10") + QByteArray(128, '\0'), std::nullopt},
    DotRow {"SixteenBytesByEightRows", hex("00 01 C0 00 10 08") + QByteArray(128, '\0'), std::nullopt},
    DotRow {"MatrixByteMissing", kDotHeader + QByteArray(127, '\0'), std::nullopt},
    DotRow {"MatrixByteTooMany", kDotHeader + QByteArray(129, '\0'), std::nullopt}),
    RowName());

struct TestRow {
    const char* name;
    QByteArray payload;
    std::optional<quint8> device;
};

class ConnectionTestPayload : public testing::TestWithParam<TestRow> {};

TEST_P(ConnectionTestPayload, GivesTheDeviceAskedFor)
{
    EXPECT_EQ(valueOf(parseConnectionTest(GetParam().payload)), GetParam().device);
}

INSTANTIATE_TEST_SUITE_P(Protocol, ConnectionTestPayload, testing::Values(
    TestRow {"Device255", hex("FF"), quint8(255)},
    TestRow {"Device1", hex("01"), quint8(1)},
    TestRow {"Empty", QByteArray(), std::nullopt},
    TestRow {"TwoBytes", hex("01 01"), std::nullopt}),
    RowName());

} // namespace
