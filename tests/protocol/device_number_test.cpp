#include "byte_text.h"

#include "protocol/device_number.h"

using namespace protocol;

namespace {

constexpr quint8 kPrevious = 42;

struct DeviceNumberRow {
    const char* name;
    const char* typed;
    int deviceId;
    const char* shown;
};

class DeviceNumberField : public testing::TestWithParam<DeviceNumberRow> {};

TEST_P(DeviceNumberField, SetsNumberAndField)
{
    const DeviceNumberRow& row = GetParam();
    const DeviceNumberInput input = readDeviceNumber(QString::fromUtf8(row.typed), kPrevious);
    EXPECT_EQ(input.deviceId, row.deviceId);
    EXPECT_EQ(input.fieldText, QString::fromUtf8(row.shown));
}

INSTANTIATE_TEST_SUITE_P(Protocol, DeviceNumberField, testing::Values(
    DeviceNumberRow {"AboveRangeClamped", "300", 255, "255"},
    DeviceNumberRow {"Largest", "255", 255, "255"},
    DeviceNumberRow {"Zero", "0", 0, "0"},
    DeviceNumberRow {"HalfRoundsUpToEvenThenClamped", "255.5", 255, "255"},
    DeviceNumberRow {"HalfRoundsDownToEven", "254.5", 254, "254.5"},
    DeviceNumberRow {"JustAboveHalfRoundsUp", "254.50000000000000000001", 255, "254.50000000000000000001"},
    DeviceNumberRow {"HalfOfOddRoundsUp", "1.5", 2, "1.5"},
    DeviceNumberRow {"LeadingZerosKept", "0012", 12, "0012"},
    DeviceNumberRow {"FractionRounded", "3.7", 4, "3.7"},
    DeviceNumberRow {"BlanksAroundIgnored", " 7 ", 7, " 7 "},
    DeviceNumberRow {"PlusSign", "+5", 5, "+5"},
    DeviceNumberRow {"MinusZero", "-0", 0, "-0"},
    DeviceNumberRow {"SmallNegativeRoundsToZero", "-0.4", 0, "-0.4"},
    DeviceNumberRow {"NoWholeDigits", ".5", 0, ".5"},
    DeviceNumberRow {"NoFractionDigits", "5.", 5, "5."},
    DeviceNumberRow {"HugeNumberClamped", "99999", 255, "255"},
    DeviceNumberRow {"ThirtyOneDigitsClamped", "1000000000000000000000000000000", 255, "255"},
    DeviceNumberRow {"EmptyKeepsPrevious", "", kPrevious, "42"},
    DeviceNumberRow {"BlanksOnlyKeepPrevious", "   ", kPrevious, "42"},
    DeviceNumberRow {"LettersKeepPrevious", "abc", kPrevious, "42"},
    DeviceNumberRow {"NegativeKeepsPrevious", "-1", kPrevious, "42"},
    DeviceNumberRow {"NegativeRoundingBelowZeroKeepsPrevious", "-0.6", kPrevious, "42"},
    DeviceNumberRow {"ExponentKeepsPrevious", "1e3", kPrevious, "42"},
    DeviceNumberRow {"HexKeepsPrevious", "0x10", kPrevious, "42"},
    DeviceNumberRow {"CommaKeepsPrevious", "1,5", kPrevious, "42"},
    DeviceNumberRow {"InnerBlankKeepsPrevious", "1 2", kPrevious, "42"},
    DeviceNumberRow {"PointAloneKeepsPrevious", ".", kPrevious, "42"},
    DeviceNumberRow {"SignAloneKeepsPrevious", "-", kPrevious, "42"}),
    RowName());

} // namespace
