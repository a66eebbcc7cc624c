// The local socket's messages: requests and responses byte by byte as the layout documents
// them, and everything malformed refused rather than misread.
#include "share/line_message.h"

#include "support/hex.h"

#include <gtest/gtest.h>

namespace {

using share::Decoded;
using share::LineKind;
using share::LineRequest;
using share::LineResponse;
using share::LineStatus;

using testsupport::hex;

struct RequestRow {
    const char* name;
    LineRequest request;
    const char* bytes;
};

void PrintTo(const RequestRow& row, std::ostream* out)
{
    *out << row.name;
}

class RequestBytes : public ::testing::TestWithParam<RequestRow> {};

TEST_P(RequestBytes, EncodeAndDecode)
{
    const RequestRow& row = GetParam();
    const std::optional<QByteArray> encoded = share::encodeRequest(row.request);
    ASSERT_TRUE(encoded.has_value());
    EXPECT_EQ(encoded->toHex(' '), hex(row.bytes).toHex(' '));
    const Decoded<LineRequest> decoded = share::decodeRequest(hex(row.bytes) + "trailing");
    ASSERT_EQ(decoded.state, Decoded<LineRequest>::State::Done) << decoded.error.toStdString();
    EXPECT_EQ(decoded.value, row.request);
    EXPECT_EQ(decoded.consumed, hex(row.bytes).size()) << "the next message is left alone";
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestBytes,
    ::testing::Values(
        RequestRow{"AskHeld", {LineKind::AskHeld, QStringLiteral("/dev/ttyS0"), {}, false, 0},
                   "00 00 00 15  02 00 00 00 00 00 00  00 0A 2F 64 65 76 2F 74 74 79 53 30  00 00"},
        RequestRow{"ClockFrame",
                   {LineKind::SendFrame, QStringLiteral("p"), hex("02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03"), false, 0},
                   "00 00 00 1A  02 01 00 00 00 00 00  00 01 70  00 0E 02 00 0E FF EE 20 0C 05 17 14 0E 06 3D 03"},
        RequestRow{"TestAwaitingTwoSeconds",
                   {LineKind::SendFrame, QStringLiteral("p"), hex("02 00 09 FF EE 21 FF C6 03"), true, 2000},
                   "00 00 00 15  02 01 01 00 00 07 D0  00 01 70  00 09 02 00 09 FF EE 21 FF C6 03"},
        RequestRow{"PortNameInUtf8", {LineKind::AskHeld, QStringLiteral("端"), {}, false, 0},
                   "00 00 00 0E  02 00 00 00 00 00 00  00 03 E7 AB AF  00 00"}),
    [](const auto& info) { return std::string(info.param.name); });

struct MalformedRow {
    const char* name;
    const char* bytes;
    Decoded<LineRequest>::State state;
};

void PrintTo(const MalformedRow& row, std::ostream* out)
{
    *out << row.name;
}

class RequestRefused : public ::testing::TestWithParam<MalformedRow> {};

TEST_P(RequestRefused, IsNeverReadAsARequest)
{
    const Decoded<LineRequest> decoded = share::decodeRequest(hex(GetParam().bytes));
    EXPECT_EQ(decoded.state, GetParam().state);
    if (GetParam().state == Decoded<LineRequest>::State::Malformed) {
        EXPECT_FALSE(decoded.error.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestRefused,
    ::testing::Values(
        MalformedRow{"Empty", "", Decoded<LineRequest>::State::NeedMore},
        MalformedRow{"HalfALengthPrefix", "00 00", Decoded<LineRequest>::State::NeedMore},
        MalformedRow{"TruncatedBody", "00 00 00 0B  02 00 00 00 00 00 00  00 00", Decoded<LineRequest>::State::NeedMore},
        MalformedRow{"LongerThanAllowed", "00 10 00 00", Decoded<LineRequest>::State::Malformed},
        MalformedRow{"PortLongerThanBody", "00 00 00 0B  02 00 00 00 00 00 00  00 05 00 00",
                     Decoded<LineRequest>::State::Malformed},
        MalformedRow{"BytesAfterTheFields", "00 00 00 0C  02 00 00 00 00 00 00  00 00 00 00 FF",
                     Decoded<LineRequest>::State::Malformed},
        MalformedRow{"UnknownVersion", "00 00 00 0B  03 00 00 00 00 00 00  00 00 00 00",
                     Decoded<LineRequest>::State::Malformed},
        MalformedRow{"UnknownKind", "00 00 00 0B  02 07 00 00 00 00 00  00 00 00 00",
                     Decoded<LineRequest>::State::Malformed},
        MalformedRow{"UnknownFlag", "00 00 00 0B  02 01 02 00 00 00 00  00 00 00 00",
                     Decoded<LineRequest>::State::Malformed},
        MalformedRow{"QuestionWithAFrame", "00 00 00 0C  02 00 00 00 00 00 00  00 00 00 01 02",
                     Decoded<LineRequest>::State::Malformed}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RequestEncoding, RefusesAFrameTooLongForItsLengthField)
{
    LineRequest request{LineKind::SendFrame, QStringLiteral("p"), QByteArray(0x10000, '\0'), false, 0};
    EXPECT_FALSE(share::encodeRequest(request).has_value());
    request.frame.chop(1);
    EXPECT_TRUE(share::encodeRequest(request).has_value());
}

struct ResponseRow {
    const char* name;
    LineResponse response;
    const char* bytes;
};

void PrintTo(const ResponseRow& row, std::ostream* out)
{
    *out << row.name;
}

class ResponseBytes : public ::testing::TestWithParam<ResponseRow> {};

TEST_P(ResponseBytes, EncodeAndDecode)
{
    const ResponseRow& row = GetParam();
    EXPECT_EQ(share::encodeResponse(row.response).toHex(' '), hex(row.bytes).toHex(' '));
    const Decoded<LineResponse> decoded = share::decodeResponse(hex(row.bytes));
    ASSERT_EQ(decoded.state, Decoded<LineResponse>::State::Done) << decoded.error.toStdString();
    EXPECT_EQ(decoded.value, row.response);
}

INSTANTIATE_TEST_SUITE_P(
    Responses, ResponseBytes,
    ::testing::Values(
        ResponseRow{"Held", {LineStatus::Held, 0, {}}, "00 00 00 12  02 00 00 00  00 00 00 00 00 00 00 00 00 00 00 00  00 00"},
        ResponseRow{"AnsweredByFive", {LineStatus::Answered, 5, {}},
                    "00 00 00 12  02 03 05 00  00 00 00 00 00 00 00 00 00 00 00 00  00 00"},
        // The window's port took 3 of the 9 bytes: the kind and the counts come across whole.
        ResponseRow{"WriteFailedWithDetail",
                    {LineStatus::WriteFailed, 0, QStringLiteral("断"), line::WriteFailure::NotAccepted, 9, 3, 0},
                    "00 00 00 15  02 05 00 04  00 00 00 09 00 00 00 03 00 00 00 00  00 03 E6 96 AD"},
        ResponseRow{"StuckWithBytesLeft", {LineStatus::WriteFailed, 0, {}, line::WriteFailure::NotDrained, 142, 142, 100},
                    "00 00 00 12  02 05 00 05  00 00 00 8E 00 00 00 8E 00 00 00 64  00 00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResponseDecoding, RefusesWhatNoWindowSends)
{
    const auto state = [](const char* bytes) { return share::decodeResponse(hex(bytes)).state; };
    EXPECT_EQ(state("00 00 00 12  02 09 00 00  00 00 00 00 00 00 00 00 00 00 00 00  00 00"),
              Decoded<LineResponse>::State::Malformed)
        << "unknown status";
    EXPECT_EQ(state("00 00 00 12  02 05 00 09  00 00 00 00 00 00 00 00 00 00 00 00  00 00"),
              Decoded<LineResponse>::State::Malformed)
        << "unknown write failure";
    EXPECT_EQ(state("00 00 00 12  01 00 00 00  00 00 00 00 00 00 00 00 00 00 00 00  00 00"),
              Decoded<LineResponse>::State::Malformed)
        << "the first version, which carried no write failure";
    EXPECT_EQ(state("00 00 00 05  01 05 00 00 00"), Decoded<LineResponse>::State::Malformed)
        << "a first version's response";
    EXPECT_EQ(state("00 00 00 12  02 03 05 00  00 00 00 00 00 00 00 00 00 00 00 00  00 04"),
              Decoded<LineResponse>::State::Malformed)
        << "detail longer than the body";
    EXPECT_EQ(state("00 00 00 12  02 03"), Decoded<LineResponse>::State::NeedMore) << "truncated";
}

} // namespace
