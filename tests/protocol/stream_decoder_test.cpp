#include "protocol/stream_decoder.h"
#include "support/hex.h"

#include <QByteArray>
#include <QString>

#include <gtest/gtest.h>

#include <random>
#include <variant>

using protocol::DecodedFrame;
using protocol::DecodedItem;
using protocol::FrameShape;
using protocol::RejectedRun;
using protocol::StreamDecoder;

namespace {

using testsupport::hex;

QByteArray weatherFrame(const char* device, const char* check)
{
    return hex("02 00 8E") + hex(device) + hex("EE 29 00 01 C0 00 08 10") + QByteArray(128, '\0') + hex(check) + hex("03");
}

QByteArray roomRatesAll1234()
{
    QByteArray frame = hex("02 00 34 01 EE 25 00 00 00 28");
    for (int i = 0; i < 10; ++i)
        frame += hex("F9 A4 B0 99");
    return frame + hex("D6 03");
}

struct GoodFrame {
    const char* name;
    QByteArray bytes;
    quint8 address;
    quint8 command;
    int payloadSize;
};

// Frames as they must appear on the line, byte for byte.
std::vector<GoodFrame> goodFrames()
{
    return {
        {"ConnectionTestDevice255", hex("02 00 09 FF EE 21 FF C6 03"), 0xFF, 0x21, 1},
        {"ConnectionTestDevice1", hex("02 00 09 01 EE 21 01 C6 03"), 0x01, 0x21, 1},
        {"RoomRatesEightCells", hex("02 00 14 01 EE 25 00 00 00 08 F9 A4 B0 99 FF 12 82 FF 32 03"), 0x01, 0x25, 12},
        {"RoomRatesFortyCells", roomRatesAll1234(), 0x01, 0x25, 44},
        {"RoomRatesNoCells", hex("02 00 0C 01 EE 25 00 00 00 00 C6 03"), 0x01, 0x25, 4},
        {"ExchangeRatesRow0",
         hex("02 00 18 01 EE 25 01 00 00 0C F9 A4 30 99 92 82 F9 A4 30 80 80 80 D6 03"), 0x01, 0x25, 16},
        {"Clock2012", hex("02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03"), 0xFF, 0x20, 6},
        {"Clock2000", hex("02 00 0E 01 EE 20 00 01 01 00 00 00 C1 03"), 0x01, 0x20, 6},
        {"Temperature12To18", hex("02 00 10 01 EE 25 00 28 00 04 F9 A4 F9 80 D2 03"), 0x01, 0x25, 8},
        {"TemperatureDevice255", hex("02 00 10 FF EE 25 00 00 00 04 F9 A4 F9 80 04 03"), 0xFF, 0x25, 8},
        {"WeatherDotsDevice255", weatherFrame("FF", "6F"), 0xFF, 0x29, 134},
        {"WeatherDotsDevice1", weatherFrame("01", "91"), 0x01, 0x29, 134},
    };
}

std::vector<DecodedItem> pushAll(StreamDecoder& decoder, const QByteArray& bytes)
{
    std::vector<DecodedItem> items = decoder.push(bytes);
    for (DecodedItem& item : decoder.flush())
        items.push_back(std::move(item));
    return items;
}

std::vector<QByteArray> framesOf(const std::vector<DecodedItem>& items)
{
    std::vector<QByteArray> frames;
    for (const DecodedItem& item : items) {
        if (const auto* frame = std::get_if<DecodedFrame>(&item))
            frames.push_back(frame->bytes);
    }
    return frames;
}

std::vector<RejectedRun> rejectsOf(const std::vector<DecodedItem>& items)
{
    std::vector<RejectedRun> runs;
    for (const DecodedItem& item : items) {
        if (const auto* run = std::get_if<RejectedRun>(&item))
            runs.push_back(*run);
    }
    return runs;
}

// All items laid end to end give back the stream: nothing lost, nothing doubled.
QByteArray concatenated(const std::vector<DecodedItem>& items)
{
    QByteArray all;
    for (const DecodedItem& item : items)
        all += std::visit([](const auto& i) { return i.bytes; }, item);
    return all;
}

class GoodFrameTest : public ::testing::TestWithParam<GoodFrame> {};

TEST_P(GoodFrameTest, DecodesInOnePush)
{
    const GoodFrame& row = GetParam();
    StreamDecoder decoder;
    const std::vector<DecodedItem> items = decoder.push(row.bytes);
    ASSERT_EQ(items.size(), 1u);
    const auto* frame = std::get_if<DecodedFrame>(&items[0]);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->bytes, row.bytes);
    EXPECT_EQ(frame->address, row.address);
    EXPECT_EQ(frame->command, row.command);
    EXPECT_EQ(frame->payload.size(), row.payloadSize);
    EXPECT_EQ(frame->payload, row.bytes.sliced(6, row.payloadSize));
    EXPECT_EQ(decoder.pendingBytes(), 0);
}

TEST_P(GoodFrameTest, DecodesWhenSplitByteByByte)
{
    const GoodFrame& row = GetParam();
    StreamDecoder decoder;
    std::vector<DecodedItem> items;
    for (qsizetype i = 0; i < row.bytes.size(); ++i) {
        for (DecodedItem& item : decoder.push(row.bytes.sliced(i, 1))) {
            EXPECT_EQ(i, row.bytes.size() - 1) << "an item appeared before the last byte";
            items.push_back(std::move(item));
        }
    }
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(framesOf(items), std::vector<QByteArray> {row.bytes});
}

TEST_P(GoodFrameTest, WithoutItsLastByteIsRejectedOnFlush)
{
    const GoodFrame& row = GetParam();
    StreamDecoder decoder;
    const QByteArray truncated = row.bytes.chopped(1);
    EXPECT_TRUE(decoder.push(truncated).empty());
    const std::vector<DecodedItem> items = decoder.flush();
    EXPECT_TRUE(framesOf(items).empty());
    EXPECT_EQ(concatenated(items), truncated);
    EXPECT_TRUE(rejectsOf(items).front().reason.contains(QLatin1String("cut short")));
    EXPECT_EQ(decoder.pendingBytes(), 0);
}

TEST_P(GoodFrameTest, WithAWrongCheckByteIsRejected)
{
    const GoodFrame& row = GetParam();
    QByteArray broken = row.bytes;
    broken[broken.size() - 2] = char(broken.at(broken.size() - 2) ^ 0x01);
    StreamDecoder decoder;
    const std::vector<DecodedItem> items = pushAll(decoder, broken);
    EXPECT_TRUE(framesOf(items).empty());
    EXPECT_EQ(concatenated(items), broken);
    EXPECT_TRUE(rejectsOf(items).front().reason.contains(QLatin1String("check byte")));
}

INSTANTIATE_TEST_SUITE_P(LineBytes, GoodFrameTest, ::testing::ValuesIn(goodFrames()),
                         [](const auto& info) { return std::string(info.param.name); });

struct BadFrame {
    const char* name;
    QByteArray bytes;
    const char* reasonPart;
};

std::vector<BadFrame> badFrames()
{
    return {
        {"WrongEndByte", hex("02 00 09 01 EE 21 01 C6 04"), "end byte"},
        {"WrongCheckByte", hex("02 00 09 01 EE 21 01 C7 03"), "check byte is 0xC7, expected 0xC6"},
        {"LengthZero", hex("02 00 00 01 EE 21 01 C6 03"), "below the minimum"},
        {"LengthEight", hex("02 00 08 01 EE 21 01 C6 03"), "below the minimum"},
        {"Length65535", hex("02 FF FF 01 EE 21 01 C6 03"), "above the longest"},
        {"LengthOneTooShort", hex("02 00 08 01 EE 21 C6 03"), "below the minimum"},
        // Length field one more than the bytes present: waits, then gives up on flush.
        {"LengthOneTooLong", hex("02 00 0A 01 EE 21 01 C6 03"), "cut short"},
        // Consistent length, end and check byte but no marker where a sent frame has it.
        {"NoMarker", hex("02 00 09 EE 01 21 01 C6 03"), "marker"},
        {"OnlyStartByte", hex("02"), "cut short"},
    };
}

class BadFrameTest : public ::testing::TestWithParam<BadFrame> {};

TEST_P(BadFrameTest, IsRejectedWithItsReasonAndNothingIsLost)
{
    const BadFrame& row = GetParam();
    StreamDecoder decoder;
    const std::vector<DecodedItem> items = pushAll(decoder, row.bytes);
    EXPECT_TRUE(framesOf(items).empty());
    EXPECT_EQ(concatenated(items), row.bytes);
    const std::vector<RejectedRun> rejects = rejectsOf(items);
    ASSERT_FALSE(rejects.empty());
    EXPECT_TRUE(rejects.front().reason.contains(QLatin1String(row.reasonPart))) << rejects.front().reason.toStdString();
    EXPECT_EQ(decoder.pendingBytes(), 0);
}

INSTANTIATE_TEST_SUITE_P(Malformed, BadFrameTest, ::testing::ValuesIn(badFrames()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StreamDecoderTest, TwoFramesBackToBack)
{
    const QByteArray a = hex("02 00 09 01 EE 21 01 C6 03");
    const QByteArray b = hex("02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03");
    StreamDecoder decoder;
    const std::vector<DecodedItem> items = decoder.push(a + b);
    EXPECT_EQ(framesOf(items), (std::vector<QByteArray> {a, b}));
    EXPECT_TRUE(rejectsOf(items).empty());
}

TEST(StreamDecoderTest, NoiseBeforeBetweenAndAfterFrames)
{
    const QByteArray a = hex("02 00 09 01 EE 21 01 C6 03");
    const QByteArray b = hex("02 00 10 01 EE 25 00 28 00 04 F9 A4 F9 80 D2 03");
    const QByteArray stream = hex("AA BB") + a + hex("CC 02 DD") + b + hex("EE");
    StreamDecoder decoder;
    const std::vector<DecodedItem> items = pushAll(decoder, stream);
    ASSERT_EQ(items.size(), 6u);
    EXPECT_EQ(std::get<RejectedRun>(items[0]).bytes, hex("AA BB"));
    EXPECT_EQ(std::get<RejectedRun>(items[0]).reason, QStringLiteral("no start byte 0x02"));
    EXPECT_EQ(std::get<DecodedFrame>(items[1]).bytes, a);
    EXPECT_EQ(std::get<RejectedRun>(items[2]).bytes, hex("CC"));
    // The stray start byte announces 0xDD02 bytes; its run takes the noise after it.
    EXPECT_EQ(std::get<RejectedRun>(items[3]).bytes, hex("02 DD"));
    EXPECT_TRUE(std::get<RejectedRun>(items[3]).reason.contains(QLatin1String("above the longest")));
    EXPECT_EQ(std::get<DecodedFrame>(items[4]).bytes, b);
    EXPECT_EQ(std::get<RejectedRun>(items[5]).bytes, hex("EE"));
}

TEST(StreamDecoderTest, FrameInsideABrokenFrameIsFound)
{
    // A start byte whose announced length ends inside the good frame, with wrong bytes there.
    const QByteArray good = hex("02 00 09 FF EE 21 FF C6 03");
    const QByteArray stream = hex("02 00 0C 05 EE") + good;
    StreamDecoder decoder;
    const std::vector<DecodedItem> items = pushAll(decoder, stream);
    EXPECT_EQ(framesOf(items), std::vector<QByteArray> {good});
    EXPECT_EQ(concatenated(items), stream);
}

TEST(StreamDecoderTest, PlausibleLengthWaitsUntilFlushThenFramesBehindItAreFound)
{
    const QByteArray good = hex("02 00 09 01 EE 21 01 C6 03");
    const QByteArray stream = hex("02 27 10") + good;   // announces 10000 bytes
    StreamDecoder decoder;
    EXPECT_TRUE(decoder.push(stream).empty());
    EXPECT_EQ(decoder.pendingBytes(), stream.size());
    const std::vector<DecodedItem> items = decoder.flush();
    EXPECT_EQ(framesOf(items), std::vector<QByteArray> {good});
    EXPECT_EQ(concatenated(items), stream);
    EXPECT_EQ(decoder.pendingBytes(), 0);
}

TEST(StreamDecoderTest, WidestLimitStillGivesUpOnFlush)
{
    const QByteArray good = hex("02 00 09 01 EE 21 01 C6 03");
    StreamDecoder decoder(FrameShape::Sent, 0xFFFF);
    EXPECT_TRUE(decoder.push(hex("02 FF FF") + good).empty());
    EXPECT_EQ(framesOf(decoder.flush()), std::vector<QByteArray> {good});
}

TEST(StreamDecoderTest, ReplyShapeTakesTheMarkerAtOffsetThree)
{
    const QByteArray reply = hex("02 00 09 EE 00 21 05 C3 03");
    StreamDecoder replies(FrameShape::Reply);
    const std::vector<DecodedItem> items = replies.push(reply);
    ASSERT_EQ(items.size(), 1u);
    const auto& frame = std::get<DecodedFrame>(items[0]);
    EXPECT_EQ(frame.command, 0x21);
    EXPECT_EQ(frame.payload, hex("05"));

    StreamDecoder sent(FrameShape::Sent);
    EXPECT_TRUE(framesOf(pushAll(sent, reply)).empty());
}

TEST(StreamDecoderTest, LongNoiseIsReportedInBoundedRuns)
{
    StreamDecoder decoder;
    const QByteArray noise(20000, char(0x55));
    const std::vector<DecodedItem> items = decoder.push(noise);
    EXPECT_FALSE(items.empty());
    EXPECT_LT(decoder.pendingBytes(), 8192);
    std::vector<DecodedItem> all = items;
    for (DecodedItem& item : decoder.flush())
        all.push_back(std::move(item));
    EXPECT_EQ(concatenated(all), noise);
}

TEST(StreamDecoderTest, RandomNoiseWithPlantedFramesFindsEveryFrameAndInventsNone)
{
    std::mt19937 random(20120523);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> gap(0, 3000);
    std::uniform_int_distribution<int> chunk(1, 4096);
    const std::vector<GoodFrame> frames = goodFrames();

    QByteArray stream;
    std::vector<QByteArray> planted;
    while (stream.size() < 1024 * 1024) {
        const int noise = gap(random);
        for (int i = 0; i < noise; ++i)
            stream.append(char(byte(random)));
        const QByteArray& frame = frames[planted.size() % frames.size()].bytes;
        stream.append(frame);
        planted.push_back(frame);
    }

    StreamDecoder decoder;
    std::vector<DecodedItem> items;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype size = std::min<qsizetype>(chunk(random), stream.size() - at);
        for (DecodedItem& item : decoder.push(QByteArrayView(stream).sliced(at, size)))
            items.push_back(std::move(item));
        at += size;
    }
    for (DecodedItem& item : decoder.flush())
        items.push_back(std::move(item));

    EXPECT_EQ(framesOf(items), planted);
    EXPECT_TRUE(concatenated(items) == stream);
}

TEST(StreamDecoderTest, LongCandidatesEveryFewBytesAreAllRejected)
{
    // Every fourth byte starts a candidate of 9984 bytes whose end byte fits but whose
    // check byte does not: each must be looked at without rereading its whole length.
    QByteArray stream;
    for (int i = 0; i < 100'000; ++i)
        stream += hex("02 27 00 03");
    StreamDecoder decoder;
    const std::vector<DecodedItem> items = pushAll(decoder, stream);
    EXPECT_TRUE(framesOf(items).empty());
    EXPECT_TRUE(concatenated(items) == stream);
}

TEST(StreamDecoderTest, CheckStaysRightAcrossBufferCompaction)
{
    // Noise then many frames in small pushes, so the kept bytes are moved often.
    const QByteArray good = hex("02 00 10 01 EE 25 00 28 00 04 F9 A4 F9 80 D2 03");
    QByteArray stream = hex("02 00 20 77 55");
    for (int i = 0; i < 50; ++i)
        stream += hex("5A A5") + good;
    StreamDecoder decoder;
    std::vector<DecodedItem> items;
    for (qsizetype at = 0; at < stream.size(); at += 7) {
        for (DecodedItem& item : decoder.push(QByteArrayView(stream).sliced(at, std::min<qsizetype>(7, stream.size() - at))))
            items.push_back(std::move(item));
    }
    for (DecodedItem& item : decoder.flush())
        items.push_back(std::move(item));
    EXPECT_EQ(framesOf(items), std::vector<QByteArray>(50, good));
    EXPECT_TRUE(concatenated(items) == stream);
}

TEST(StreamDecoderTest, PureNoiseGivesNoFrame)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> byte(0, 255);
    QByteArray stream;
    for (int i = 0; i < 1024 * 1024; ++i)
        stream.append(char(byte(random)));
    StreamDecoder decoder;
    const std::vector<DecodedItem> items = pushAll(decoder, stream);
    EXPECT_TRUE(framesOf(items).empty());
    EXPECT_TRUE(concatenated(items) == stream);
}

} // namespace
