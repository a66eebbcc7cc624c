#include "protocol/board_model.h"
#include "protocol/connection_test.h"
#include "protocol/stream_decoder.h"
#include "support/hex.h"

#include <gtest/gtest.h>

#include <variant>

using protocol::BoardModel;
using protocol::FrameEffect;

namespace {

using testsupport::hex;

// The model takes decoded frames; decode the line bytes the way the board does.
protocol::DecodedFrame decoded(const QByteArray& bytes)
{
    protocol::StreamDecoder decoder;
    const std::vector<protocol::DecodedItem> items = decoder.push(bytes);
    if (items.size() != 1 || !std::holds_alternative<protocol::DecodedFrame>(items[0])) {
        ADD_FAILURE() << "not one good frame: " << bytes.toHex(' ').toStdString();
        return {};
    }
    return std::get<protocol::DecodedFrame>(items[0]);
}

TEST(BoardModelTest, DisplayDataWritesItsCellsAtItsAddress)
{
    BoardModel board(1);
    const FrameEffect effect =
        board.apply(decoded(hex("02 00 18 01 EE 25 01 00 00 0C F9 A4 30 99 92 82 F9 A4 30 80 80 80 D6 03")), 0);
    EXPECT_EQ(effect.kind, FrameEffect::Kind::DisplayData);
    EXPECT_EQ(effect.address, 256);
    EXPECT_EQ(board.cells(256, 12), hex("F9 A4 30 99 92 82 F9 A4 30 80 80 80"));
    EXPECT_EQ(board.cell(255), 0xFF) << "cells never written are dark";
    EXPECT_EQ(board.cell(268), 0xFF);
    EXPECT_TRUE(board.written(256));
    EXPECT_FALSE(board.written(268));
    EXPECT_EQ(board.writtenBlocks(16), (std::vector<int> {256}));
}

TEST(BoardModelTest, LaterWritesOverwriteOnlyTheirOwnCells)
{
    BoardModel board(1);
    board.apply(decoded(hex("02 00 14 01 EE 25 00 00 00 08 F9 A4 B0 99 FF 12 82 FF 32 03")), 0);
    board.apply(decoded(hex("02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03")), 0);
    EXPECT_EQ(board.cells(0, 8), hex("F9 A4 F9 80 FF 12 82 FF"));
}

TEST(BoardModelTest, EmptyAreaWritesNothing)
{
    BoardModel board(1);
    const FrameEffect effect = board.apply(decoded(hex("02 00 0C 01 EE 25 00 00 00 00 C6 03")), 0);
    EXPECT_EQ(effect.kind, FrameEffect::Kind::DisplayData);
    EXPECT_TRUE(board.writtenBlocks(16).empty());
}

TEST(BoardModelTest, CellsPastTheLastAddressAreDropped)
{
    BoardModel board(1);
    // Address 0xFFFF with two cells: the second has no place in memory.
    const QByteArray frame = hex("02 00 0E 01 EE 25 FF FF 00 02 F9 A4 9B 03");
    const FrameEffect effect = board.apply(decoded(frame), 0);
    EXPECT_EQ(effect.kind, FrameEffect::Kind::DisplayData);
    EXPECT_EQ(board.cell(65535), 0xF9);
    EXPECT_FALSE(effect.reason.isEmpty());
}

struct Malformed {
    const char* name;
    QByteArray frame;
};

class MalformedPayloadTest : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedPayloadTest, ChangesNothing)
{
    BoardModel board(1);
    const FrameEffect effect = board.apply(decoded(GetParam().frame), 5);
    EXPECT_EQ(effect.kind, FrameEffect::Kind::Malformed);
    EXPECT_FALSE(effect.reason.isEmpty());
    EXPECT_TRUE(board.writtenBlocks(16).empty());
    EXPECT_FALSE(board.clockAt(5).has_value());
    EXPECT_EQ(board.dots(), protocol::DotMatrix {});
    EXPECT_TRUE(effect.reply.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Frames, MalformedPayloadTest,
    ::testing::Values(
        // Announces 8 cells, carries 4.
        Malformed {"DisplayDataCountTooHigh", hex("02 00 10 01 EE 25 00 00 00 08 F9 A4 F9 80 F6 03")},
        Malformed {"DisplayDataHeaderCut", hex("02 00 0A 01 EE 25 00 00 C0 03")},
        Malformed {"ClockMonth13", hex("02 00 0E 01 EE 20 0C 0D 17 14 0E 06 CB 03")},
        Malformed {"ClockHour24", hex("02 00 0E 01 EE 20 0C 05 17 18 0E 06 CF 03")},
        Malformed {"ClockShort", hex("02 00 0D 01 EE 20 0C 05 17 14 0E C6 03")},
        Malformed {"TestWithoutPayloadByte", hex("02 00 0A 01 EE 21 01 01 C4 03")}),
    [](const auto& info) { return std::string(info.param.name); });

struct Addressing {
    const char* name;
    quint8 boardId;
    QByteArray frame;
    FrameEffect::Kind expected;
};

class AddressingTest : public ::testing::TestWithParam<Addressing> {};

TEST_P(AddressingTest, TakesOwnNumberAndBroadcastOnly)
{
    const Addressing& row = GetParam();
    BoardModel board(row.boardId);
    const FrameEffect effect = board.apply(decoded(row.frame), 0);
    EXPECT_EQ(effect.kind, row.expected);
    if (row.expected == FrameEffect::Kind::Ignored) {
        EXPECT_TRUE(board.writtenBlocks(16).empty());
        EXPECT_TRUE(effect.reply.isEmpty());
        EXPECT_TRUE(effect.reason.contains(QString::number(row.boardId)));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, AddressingTest,
    ::testing::Values(
        Addressing {"OwnNumber", 1, hex("02 00 10 01 EE 25 00 28 00 04 F9 A4 F9 80 D2 03"), FrameEffect::Kind::DisplayData},
        Addressing {"Broadcast", 7, hex("02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03"), FrameEffect::Kind::DisplayData},
        Addressing {"OtherBoard", 2, hex("02 00 10 01 EE 25 00 28 00 04 F9 A4 F9 80 D2 03"), FrameEffect::Kind::Ignored},
        Addressing {"TestForOtherBoard", 5, hex("02 00 09 01 EE 21 01 C6 03"), FrameEffect::Kind::Ignored},
        Addressing {"BroadcastTest", 5, hex("02 00 09 FF EE 21 FF C6 03"), FrameEffect::Kind::ConnectionTest},
        Addressing {"UnknownCommand", 1, hex("02 00 09 01 EE 30 00 D6 03"), FrameEffect::Kind::UnknownCommand}),
    [](const auto& info) { return std::string(info.param.name); });

struct Reply {
    const char* name;
    quint8 boardId;
    QByteArray reply;
};

class ReplyTest : public ::testing::TestWithParam<Reply> {};

TEST_P(ReplyTest, AnswersTheConnectionTestAsTheProgramExpects)
{
    const Reply& row = GetParam();
    BoardModel board(row.boardId);
    const FrameEffect effect = board.apply(decoded(hex("02 00 09 FF EE 21 FF C6 03")), 0);
    ASSERT_EQ(effect.kind, FrameEffect::Kind::ConnectionTest);
    EXPECT_EQ(effect.reply, row.reply);
    EXPECT_EQ(protocol::connectionTestReply(row.boardId), row.reply);
    EXPECT_EQ(protocol::deviceNumberFromReply(effect.reply), std::optional<int>(row.boardId));
}

INSTANTIATE_TEST_SUITE_P(Boards, ReplyTest,
                         ::testing::Values(Reply {"Board5", 5, hex("02 00 09 EE 00 21 05 C3 03")},
                                           Reply {"Board1", 1, hex("02 00 09 EE 00 21 01 C7 03")},
                                           Reply {"Board0", 0, hex("02 00 09 EE 00 21 00 C6 03")}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BoardModelTest, ClockRunsOnFromTheTimeSet)
{
    BoardModel board(1);
    EXPECT_FALSE(board.clockAt(0).has_value());
    const FrameEffect effect = board.apply(decoded(hex("02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03")), 10'000);
    ASSERT_EQ(effect.kind, FrameEffect::Kind::Clock);
    const QDateTime set(QDate(2012, 5, 23), QTime(20, 14, 6), Qt::UTC);
    EXPECT_EQ(effect.clock, set);
    EXPECT_EQ(board.clockAt(10'000), set);
    EXPECT_EQ(board.clockAt(10'000 + 3'600'000 + 54'000), QDateTime(QDate(2012, 5, 23), QTime(21, 15, 0), Qt::UTC));
    // Past midnight into the next day.
    EXPECT_EQ(board.clockAt(10'000 + 4LL * 3'600'000), QDateTime(QDate(2012, 5, 24), QTime(0, 14, 6), Qt::UTC));
}

TEST(BoardModelTest, ClockYearZeroIs2000)
{
    BoardModel board(1);
    const FrameEffect effect = board.apply(decoded(hex("02 00 0E 01 EE 20 00 01 01 00 00 00 C1 03")), 0);
    EXPECT_EQ(effect.clock, QDateTime(QDate(2000, 1, 1), QTime(0, 0, 0), Qt::UTC));
}

TEST(BoardModelTest, WeatherDotsReplaceTheMatrix)
{
    QByteArray frame = hex("02 00 8E 01 EE 29 00 01 C0 00 08 10") + QByteArray(128, '\0') + hex("91 03");
    frame[12] = char(0x80);        // dot (0, 0)
    frame[12 + 127] = char(0x01);  // dot (63, 15)
    frame[140] = char(0x91 ^ 0x80 ^ 0x01);
    BoardModel board(1);
    const FrameEffect effect = board.apply(decoded(frame), 0);
    ASSERT_EQ(effect.kind, FrameEffect::Kind::Dots);
    protocol::DotMatrix expected {};
    expected[0] = 0x80;
    expected[127] = 0x01;
    EXPECT_EQ(board.dots(), expected);
}

} // namespace
