#include "byte_text.h"

#include "protocol/clock.h"
#include "protocol/connection_test.h"
#include "protocol/frame.h"
#include "protocol/weather_dots.h"

#include <QDateTime>

#include <array>

using namespace protocol;

namespace {

struct FrameRow {
    const char* name;
    std::optional<QByteArray> frame;
    std::optional<QByteArray> expected;
};

class FrameBytes : public testing::TestWithParam<FrameRow> {};

TEST_P(FrameBytes, MatchesLine)
{
    EXPECT_EQ(GetParam().frame, GetParam().expected);
}

std::array<quint8, kDotBytes> cornerDots()
{
    std::array<quint8, kDotBytes> dots {};
    dots.front() = 0x80;
    dots.back() = 0x01;
    return dots;
}

const std::array<quint8, kDotBytes> kNoDots {};

const QByteArray kWeatherHeader255 = hex("02 00 8E FF EE 29 00 01 C0 00 08 10");
const QByteArray kWeatherHeader1 = hex("02 00 8E 01 EE 29 00 01 C0 00 08 10");

INSTANTIATE_TEST_SUITE_P(Protocol, FrameBytes, testing::Values(
    FrameRow {"ConnectionTestDevice255", connectionTestFrame(255), hex("02 00 09 FF EE 21 FF C6 03")},
    FrameRow {"ConnectionTestDevice1", connectionTestFrame(1), hex("02 00 09 01 EE 21 01 C6 03")},
    FrameRow {"PayloadStxEtxSentUnchanged", buildFrame(1, Command::DisplayData, hex("02 03")),
              hex("02 00 0A 01 EE 25 02 03 C1 03")},
    FrameRow {"Clock20120523At201406", clockFrame(255, QDateTime(QDate(2012, 5, 23), QTime(20, 14, 6))),
              hex("02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03")},
    FrameRow {"Clock20000101Midnight", clockFrame(1, QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0))),
              hex("02 00 0E 01 EE 20 00 01 01 00 00 00 C1 03")},
    FrameRow {"ClockAfternoonHourIs13", clockFrame(1, QDateTime(QDate(2012, 5, 23), QTime(13, 5, 9))),
              hex("02 00 0E 01 EE 20 0C 05 17 0D 05 09 DE 03")},
    FrameRow {"ClockInvalidTimeGivesNoFrame", clockFrame(1, QDateTime()), std::nullopt},
    FrameRow {"EmptyPayloadGivesNoFrame", buildFrame(1, Command::DisplayData, QByteArray()), std::nullopt},
    FrameRow {"ReplyOfBoard5", connectionTestReply(5), hex("02 00 09 EE 00 21 05 C3 03")},
    FrameRow {"ReplyShapeCarriesMarkerAtOffset3", buildFrame(7, Command::Clock, hex("01 02"), FrameShape::Reply),
              hex("02 00 0A EE 07 20 01 02 C0 03")},
    FrameRow {"WeatherNoDotsDevice255", weatherDotFrame(255, kNoDots),
              kWeatherHeader255 + QByteArray(128, '\0') + hex("6F 03")},
    FrameRow {"WeatherNoDotsDevice1", weatherDotFrame(1, kNoDots),
              kWeatherHeader1 + QByteArray(128, '\0') + hex("91 03")},
    FrameRow {"WeatherFirstAndLastDotBytesInPlace", weatherDotFrame(1, cornerDots()),
              kWeatherHeader1 + hex("80") + QByteArray(126, '\0') + hex("01 10 03")}),
    RowName());

TEST(Frame, ThreeHundredBytesCarryHighLengthByte)
{
    const std::optional<QByteArray> frame = buildFrame(1, Command::DisplayData, QByteArray(292, '\0'));
    ASSERT_TRUE(frame.has_value());
    ASSERT_EQ(frame->size(), 300);
    EXPECT_EQ(frame->first(3), hex("02 01 2C"));
    EXPECT_EQ(frame->last(2), hex("E7 03"));
}

TEST(Frame, LongestPayloadFitsLengthField)
{
    const std::optional<QByteArray> frame = buildFrame(1, Command::DisplayData, QByteArray(0xFFFF - 8, '\0'));
    ASSERT_TRUE(frame.has_value());
    ASSERT_EQ(frame->size(), 0xFFFF);
    EXPECT_EQ(frame->first(3), hex("02 FF FF"));
}

TEST(Frame, PayloadBeyondLengthFieldGivesNoFrame)
{
    EXPECT_EQ(buildFrame(1, Command::DisplayData, QByteArray(0xFFFF - 7, '\0')), std::nullopt);
}

struct ReplyRow {
    const char* name;
    QByteArray received;
    std::optional<int> number;
};

class BoardReply : public testing::TestWithParam<ReplyRow> {};

TEST_P(BoardReply, GivesDeviceNumberOrIsDropped)
{
    EXPECT_EQ(deviceNumberFromReply(GetParam().received), GetParam().number);
}

const QByteArray kReplyFromBoard5 = hex("02 00 09 EE 00 21 05 C3 03");

INSTANTIATE_TEST_SUITE_P(Protocol, BoardReply, testing::Values(
    ReplyRow {"Board5", kReplyFromBoard5, 5},
    ReplyRow {"LongerReplyReadsByte6", hex("02 00 0A EE 00 21 07 00 C2 03"), 7},
    ReplyRow {"OtherCommandReadsLengthByte", hex("02 00 09 EE 00 20 05 C2 03"), 9},
    ReplyRow {"WrongCheckByte", hex("02 00 09 EE 00 21 05 C4 03"), std::nullopt},
    ReplyRow {"LengthFieldTenNineBytes", hex("02 00 0A EE 00 21 05 C0 03"), std::nullopt},
    ReplyRow {"BackToBackReplies", kReplyFromBoard5 + kReplyFromBoard5, std::nullopt},
    ReplyRow {"TruncatedToEightBytes", kReplyFromBoard5.first(8), std::nullopt},
    ReplyRow {"OverLongByOneByte", kReplyFromBoard5 + hex("03"), std::nullopt},
    ReplyRow {"Empty", QByteArray(), std::nullopt},
    ReplyRow {"WrongStartByte", hex("03 00 09 EE 00 21 05 C3 03"), std::nullopt},
    ReplyRow {"WrongEndByte", hex("02 00 09 EE 00 21 05 C3 02"), std::nullopt},
    ReplyRow {"NoMarkerAtOffset3", hex("02 00 09 ED 00 21 05 C0 03"), std::nullopt},
    ReplyRow {"EchoOfOwnTestFrame", hex("02 00 09 FF EE 21 FF C6 03"), std::nullopt},
    ReplyRow {"HighLengthByteSet", hex("02 01 09 EE 00 21 05 C2 03"), std::nullopt}),
    RowName());

// The board's reply is built and checked from one layout: every number comes back.
TEST(ConnectionTest, EveryReplyTheBoardBuildsPassesTheCheck)
{
    for (int number = 0; number <= 255; ++number)
        EXPECT_EQ(deviceNumberFromReply(connectionTestReply(quint8(number))), number);
}

TEST(ConnectionTest, FoundMessageNamesNumberWithoutLeadingZeros)
{
    EXPECT_EQ(deviceFoundMessage(5), QStringLiteral("找到 5 号设备~！"));
    EXPECT_EQ(deviceFoundMessage(0), QStringLiteral("找到 0 号设备~！"));
    EXPECT_EQ(deviceFoundMessage(255), QStringLiteral("找到 255 号设备~！"));
}

} // namespace
