#include "net/com_port.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using net::ComPortAnswer;
using net::LineSettings;

constexpr LineSettings kBoardLine {57600, 8, LineSettings::Parity::None, LineSettings::StopBits::One};

TEST(LineSettingsRequest, BoardLineAt57600EightNoneOneWithoutFlowControl)
{
    // Byte values as RFC 2217 gives them: SET-BAUDRATE 1 with 4 bytes in network
    // order (57600 = 0x0000E100), SET-DATASIZE 2, SET-PARITY 3 (1 = none),
    // SET-STOPSIZE 4 (1 = one), SET-CONTROL 5 (1 = no flow control).
    const QByteArray expected = QByteArray::fromHex("FFFA2C010000E100FFF0"
                                                    "FFFA2C0208FFF0"
                                                    "FFFA2C0301FFF0"
                                                    "FFFA2C0401FFF0"
                                                    "FFFA2C0501FFF0");
    EXPECT_EQ(net::lineSettingsRequest(kBoardLine).toHex(' '), expected.toHex(' '));
}

TEST(LineSettingsRequest, BaudRateWithAByte255IsEscaped)
{
    const LineSettings odd {0x0001FF00, 7, LineSettings::Parity::Even, LineSettings::StopBits::Two};
    EXPECT_TRUE(net::lineSettingsRequest(odd).startsWith(QByteArray::fromHex("FFFA2C010001FFFF00FFF0")));
}

TEST(BaudRateQuery, AsksForTheCurrentRateWithTheValueZero)
{
    // RFC 2217: SET-BAUDRATE whose 4-byte value 0 requests the current baud rate.
    EXPECT_EQ(net::baudRateQuery().toHex(' '), QByteArray::fromHex("FFFA2C0100000000FFF0").toHex(' '));
}

struct AnswerRow {
    const char* name;
    const char* payload;
    std::optional<ComPortAnswer> answer;
};

const AnswerRow kAnswerRows[] = {
    {"baud_57600", "650000E100", ComPortAnswer {1, 57600}},
    {"baud_9600", "6500002580", ComPortAnswer {1, 9600}},
    {"data_size_8", "6608", ComPortAnswer {2, 8}},
    {"parity_none", "6701", ComPortAnswer {3, 1}},
    {"stop_size_1", "6801", ComPortAnswer {4, 1}},
    {"control_no_flow", "6901", ComPortAnswer {5, 1}},
    {"empty", "", std::nullopt},
    {"baud_truncated", "650000E1", std::nullopt},
    {"baud_overlong", "650000E10000", std::nullopt},
    {"data_size_without_value", "66", std::nullopt},
    {"data_size_overlong", "660800", std::nullopt},
    {"client_command_code", "0208", std::nullopt},
    {"notify_linestate_is_no_setting_answer", "6A00", std::nullopt},
    {"signature_code", "64", std::nullopt},
};

class Answer : public ::testing::TestWithParam<AnswerRow> {};

TEST_P(Answer, Parses)
{
    EXPECT_EQ(net::comPortAnswer(QByteArray::fromHex(GetParam().payload)), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(Rows, Answer, ::testing::ValuesIn(kAnswerRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Confirmation, CompleteOnlyWithAllFourSettingsAnswered)
{
    net::LineSettingsConfirmation confirmation(kBoardLine);
    confirmation.take({1, 57600});
    confirmation.take({2, 8});
    confirmation.take({3, 1});
    confirmation.take({5, 1}); // flow control answers count for nothing
    EXPECT_FALSE(confirmation.complete());
    confirmation.take({4, 1});
    EXPECT_TRUE(confirmation.complete());
    EXPECT_EQ(confirmation.mismatch(), std::nullopt);
}

TEST(Confirmation, OtherValueIsAMismatch)
{
    net::LineSettingsConfirmation confirmation(kBoardLine);
    confirmation.take({1, 9600});
    EXPECT_FALSE(confirmation.complete());
    ASSERT_TRUE(confirmation.mismatch());
    EXPECT_EQ(*confirmation.mismatch(), "baud rate 9600 instead of 57600");

    net::LineSettingsConfirmation parity(kBoardLine);
    parity.take({3, 3});
    ASSERT_TRUE(parity.mismatch());
    EXPECT_EQ(*parity.mismatch(), "parity 3 instead of 1");
}

} // namespace
