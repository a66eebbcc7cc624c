#include "byte_text.h"

#include "protocol/clock.h"
#include "protocol/connection_test.h"
#include "protocol/frame.h"
#include "protocol/weather_dots.h"

#include <QDateTime>

#include <array>
#include <variant>

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

// What parseFrame must give: the frame's parts, or the fault and how it reads.
struct FrameParts {
    quint8 address;
    quint8 command;
    QByteArray payload;
};

struct Fault {
    FrameFault::Kind kind;
    const char* text;
};

struct ParseRow {
    const char* name;
    QByteArray bytes;
    FrameShape shape;
    std::variant<FrameParts, Fault> expected;
};

class FrameParser : public testing::TestWithParam<ParseRow> {};

TEST_P(FrameParser, GivesThePartsOrTheFirstFault)
{
    const ParseRow& row = GetParam();
    const FrameParse parsed = parseFrame(row.bytes, row.shape);
    if (const auto* parts = std::get_if<FrameParts>(&row.expected)) {
        const auto* frame = std::get_if<DecodedFrame>(&parsed);
        ASSERT_NE(frame, nullptr) << faultText(std::get<FrameFault>(parsed)).toStdString();
        EXPECT_EQ(frame->bytes, row.bytes);
        EXPECT_EQ(frame->address, parts->address);
        EXPECT_EQ(frame->command, parts->command);
        EXPECT_EQ(frame->payload, parts->payload);
        return;
    }
    const Fault& expected = std::get<Fault>(row.expected);
    const auto* fault = std::get_if<FrameFault>(&parsed);
    ASSERT_NE(fault, nullptr) << "parsed as a frame";
    EXPECT_EQ(fault->kind, expected.kind);
    EXPECT_EQ(faultText(*fault), QString::fromLatin1(expected.text));
}

constexpr FrameShape kSent = FrameShape::Sent;
constexpr FrameShape kReply = FrameShape::Reply;
using Kind = FrameFault::Kind;

INSTANTIATE_TEST_SUITE_P(Protocol, FrameParser, testing::Values(
    ParseRow {"ConnectionTest", hex("02 00 09 FF EE 21 FF C6 03"), kSent, FrameParts {0xFF, 0x21, hex("FF")}},
    ParseRow {"ReplyOfBoard5", hex("02 00 09 EE 00 21 05 C3 03"), kReply, FrameParts {0x00, 0x21, hex("05")}},
    ParseRow {"Clock", hex("02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03"), kSent,
              FrameParts {0xFF, 0x20, hex("0C 05 17 14 0E 06")}},
    ParseRow {"RoomRates", hex("02 00 14 01 EE 25 00 00 00 08 F9 A4 B0 99 FF 12 82 FF 32 03"), kSent,
              FrameParts {0x01, 0x25, hex("00 00 00 08 F9 A4 B0 99 FF 12 82 FF")}},
    ParseRow {"WeatherDots", kWeatherHeader255 + QByteArray(128, '\0') + hex("6F 03"), kSent,
              FrameParts {0xFF, 0x29, hex("00 01 C0 00 08 10") + QByteArray(128, '\0')}},
    ParseRow {"Empty", QByteArray(), kSent, Fault {Kind::NoLengthField, "frame cut short before its length field"}},
    ParseRow {"LengthFieldHalfThere", hex("02 00"), kSent, Fault {Kind::NoLengthField, "frame cut short before its length field"}},
    ParseRow {"WrongStart", hex("03 00 09 EE 00 21 05 C3 03"), kReply, Fault {Kind::WrongStart, "start byte is 0x03, expected 0x02"}},
    ParseRow {"LengthEight", hex("02 00 08 01 EE 21 C6 03"), kSent,
              Fault {Kind::LengthBelowShortest, "length 8 is below the minimum of 9"}},
    ParseRow {"LengthTenNineBytes", hex("02 00 0A EE 00 21 05 C0 03"), kReply,
              Fault {Kind::CutShort, "frame cut short: length 10 announced, 9 bytes came"}},
    ParseRow {"TwoRepliesBackToBack", hex("02 00 09 EE 00 21 05 C3 03 02 00 09 EE 00 21 05 C3 03"), kReply,
              Fault {Kind::LongerThanLength, "length 9 announced, but 18 bytes came"}},
    ParseRow {"WrongEnd", hex("02 00 09 EE 00 21 05 C3 02"), kReply,
              Fault {Kind::WrongEnd, "end byte at offset 8 is 0x02, expected 0x03"}},
    ParseRow {"WrongCheck", hex("02 00 09 EE 00 21 05 C4 03"), kReply,
              Fault {Kind::WrongCheck, "check byte is 0xC4, expected 0xC3"}},
    // The check covers the length field too: a wrong high length byte shows up in it.
    ParseRow {"ThreeHundredBytesCheckCoversLength", hex("02 01 2C 01 EE 25") + QByteArray(292, '\0') + hex("E6 03"), kSent,
              Fault {Kind::WrongCheck, "check byte is 0xE6, expected 0xE7"}},
    ParseRow {"ReplyReadAsSentFrame", hex("02 00 09 EE 00 21 05 C3 03"), kSent,
              Fault {Kind::NoMarker, "byte at offset 4 is 0x00, expected the marker 0xEE"}},
    ParseRow {"SentFrameReadAsReply", hex("02 00 09 FF EE 21 FF C6 03"), kReply,
              Fault {Kind::NoMarker, "byte at offset 3 is 0xFF, expected the marker 0xEE"}}),
    RowName());

TEST(FrameParser, RefusesALengthAboveTheLongestAccepted)
{
    const QByteArray frame = hex("02 01 2C 01 EE 25") + QByteArray(292, '\0') + hex("E7 03");
    EXPECT_TRUE(std::holds_alternative<DecodedFrame>(parseFrame(frame, kSent, 300)));
    const FrameParse refused = parseFrame(frame, kSent, 299);
    ASSERT_TRUE(std::holds_alternative<FrameFault>(refused));
    EXPECT_EQ(faultText(std::get<FrameFault>(refused)), QStringLiteral("length 300 is above the longest accepted frame of 299"));
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
