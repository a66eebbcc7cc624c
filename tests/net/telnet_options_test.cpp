#include "net/telnet_options.h"

#include "net/telnet_codec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace net::telnet;

TEST(TelnetOptions, OpeningAsksForBinarySuppressGoAheadAndComPort)
{
    net::TelnetOptions options;
    EXPECT_EQ(options.opening().toHex(' '), "ff fb 00 ff fb 03 ff fb 2c ff fd 00 ff fd 03");
    EXPECT_FALSE(options.comPortAccepted());
    EXPECT_FALSE(options.comPortRefused());
}

struct Step {
    quint8 verb;
    quint8 option;
    const char* answer; // hex, empty for none
};

struct OptionsRow {
    const char* name;
    bool opened; // opening() was sent first
    std::vector<Step> steps;
    bool comPortAccepted;
    bool comPortRefused;
};

const OptionsRow kRows[] = {
    {"server_agrees_to_our_requests", true,
     {{kDo, kComPortOption, ""}, {kDo, kBinary, ""}, {kWill, kBinary, ""}, {kWill, kSuppressGoAhead, ""}}, true, false},
    {"server_asks_first", false, {{kDo, kComPortOption, "fffb2c"}, {kWill, kBinary, "fffd00"}}, true, false},
    {"repeated_request_is_not_answered_again", false,
     {{kDo, kBinary, "fffb00"}, {kDo, kBinary, ""}, {kWill, kBinary, "fffd00"}, {kWill, kBinary, ""}}, false, false},
    {"server_refuses_com_port", true, {{kDont, kComPortOption, ""}}, false, true},
    {"echo_and_unknown_options_declined", true,
     {{kWill, 1, "fffe01"}, {kDo, 1, "fffc01"}, {kDo, 24, "fffc18"}, {kWill, 31, "fffe1f"}}, false, false},
    {"enabled_option_switched_off_is_confirmed", true,
     {{kWill, kBinary, ""}, {kWont, kBinary, "fffe00"}, {kDo, kBinary, ""}, {kDont, kBinary, "fffc00"}}, false, false},
    {"switching_off_what_is_off_needs_no_answer", false, {{kWont, kBinary, ""}, {kDont, 1, ""}}, false, false},
    {"com_port_dropped_after_agreeing", true, {{kDo, kComPortOption, ""}, {kDont, kComPortOption, "fffc2c"}}, false,
     true},
};

class Options : public ::testing::TestWithParam<OptionsRow> {};

TEST_P(Options, AnswersEachNegotiation)
{
    const OptionsRow& row = GetParam();
    net::TelnetOptions options;
    if (row.opened)
        options.opening();
    for (std::size_t i = 0; i < row.steps.size(); ++i) {
        const Step& step = row.steps[i];
        EXPECT_EQ(options.answer(step.verb, step.option).toHex(), QByteArray(step.answer)) << "step " << i;
    }
    EXPECT_EQ(options.comPortAccepted(), row.comPortAccepted);
    EXPECT_EQ(options.comPortRefused(), row.comPortRefused);
}

INSTANTIATE_TEST_SUITE_P(Rows, Options, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
