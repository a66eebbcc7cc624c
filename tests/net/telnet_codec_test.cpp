#include "net/telnet_codec.h"

#include "support/hex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using net::TelnetDecoder;
using net::TelnetEvent;
using Kind = TelnetEvent::Kind;

using testsupport::hex;

struct EscapeRow {
    const char* name;
    const char* data;
    const char* wire;
};

class Escape : public ::testing::TestWithParam<EscapeRow> {};

TEST_P(Escape, DoublesEveryIac)
{
    EXPECT_EQ(net::escapeData(hex(GetParam().data)).toHex(' '), hex(GetParam().wire).toHex(' '));
}

// The connection test frame for device 255 carries the device number twice.
INSTANTIATE_TEST_SUITE_P(Rows, Escape,
                         ::testing::Values(EscapeRow {"empty", "", ""},
                                           EscapeRow {"no_iac", "020009", "020009"},
                                           EscapeRow {"test_frame_device_255", "020009FFEE21FFC603",
                                                      "020009FFFFEE21FFFFC603"},
                                           EscapeRow {"only_iac", "FFFF", "FFFFFFFF"},
                                           EscapeRow {"near_iac_bytes_untouched", "FEFDFBFAF0", "FEFDFBFAF0"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Encode, NegotiationAndSubnegotiationBytes)
{
    EXPECT_EQ(net::negotiation(net::telnet::kWill, net::telnet::kComPortOption).toHex(' '), "ff fb 2c");
    EXPECT_EQ(net::negotiation(net::telnet::kDo, net::telnet::kBinary).toHex(' '), "ff fd 00");
    // A payload byte 255 inside a subnegotiation is doubled as well.
    EXPECT_EQ(net::subnegotiation(net::telnet::kComPortOption, hex("0100FF0000")).toHex(' '),
              "ff fa 2c 01 00 ff ff 00 00 ff f0");
}

struct DecodeRow {
    const char* name;
    const char* wire;
    const char* data;
    std::vector<TelnetEvent> events;
    bool midCommand = false;
};

const TelnetEvent kDoComPort {Kind::Negotiation, 253, 44};
const TelnetEvent kWillBinary {Kind::Negotiation, 251, 0};

const DecodeRow kDecodeRows[] = {
    {"plain_data", "020009EE", "020009EE", {}},
    {"doubled_iac_is_one_data_byte", "02FFFF03", "02FF03", {}},
    {"reply_frame_with_device_255", "020009EE00FFFF21FFFF3903", "020009EE00FF21FF3903", {}},
    {"negotiation_between_data", "41FFFD2C42", "4142", {kDoComPort}},
    {"two_negotiations", "FFFD2CFFFB00", "", {kDoComPort, kWillBinary}},
    {"baud_answer", "FFFA2C650000E100FFF0", "", {{Kind::Subnegotiation, 250, 44, hex("650000E100")}}},
    {"subnegotiation_with_doubled_iac", "FFFA2C01FFFF00FFF0", "", {{Kind::Subnegotiation, 250, 44, hex("01FF00")}}},
    {"nop_and_go_ahead", "41FFF1FFF942", "4142", {{Kind::Command, 241}, {Kind::Command, 249}}},
    {"truncated_after_iac", "41FF", "41", {}, true},
    {"truncated_after_verb", "41FFFD", "41", {}, true},
    {"truncated_subnegotiation", "FFFA2C6500", "", {}, true},
    {"truncated_subnegotiation_end", "FFFA2C6500FF", "", {}, true},
    {"se_outside_subnegotiation", "41FFF042", "4142", {{Kind::Malformed, 240}}},
    {"iac_before_a_non_command", "41FF4142", "4142", {{Kind::Malformed, 0x41}}},
    {"subnegotiation_without_option", "FFFAFFF041", "41", {{Kind::Malformed, 250}, {Kind::Malformed, 240}}},
    {"unclosed_subnegotiation_then_negotiation", "FFFA2C65FFFD2C41", "41",
     {{Kind::Malformed, 250, 44}, kDoComPort}},
};

class Decode : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(Decode, WholeStream)
{
    const DecodeRow& row = GetParam();
    TelnetDecoder decoder;
    const net::Decoded got = decoder.feed(hex(row.wire));
    EXPECT_EQ(got.data.toHex(' '), hex(row.data).toHex(' '));
    EXPECT_EQ(got.events, row.events);
    EXPECT_EQ(decoder.midCommand(), row.midCommand);
}

// The network may cut the stream anywhere, also inside a command.
TEST_P(Decode, SplitAtEveryPosition)
{
    const DecodeRow& row = GetParam();
    const QByteArray wire = hex(row.wire);
    for (qsizetype cut = 0; cut <= wire.size(); ++cut) {
        TelnetDecoder decoder;
        net::Decoded first = decoder.feed(wire.left(cut));
        const net::Decoded second = decoder.feed(wire.mid(cut));
        first.data += second.data;
        first.events.insert(first.events.end(), second.events.begin(), second.events.end());
        EXPECT_EQ(first.data.toHex(' '), hex(row.data).toHex(' ')) << "cut at " << cut;
        EXPECT_EQ(first.events, row.events) << "cut at " << cut;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, Decode, ::testing::ValuesIn(kDecodeRows),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Decode, OverlongSubnegotiationIsMalformedAndDataAfterItPasses)
{
    QByteArray wire = hex("FFFA2C");
    wire += QByteArray(TelnetDecoder::kMaxSubnegotiation + 1, 'x');
    wire += hex("FFF04142");
    TelnetDecoder decoder;
    const net::Decoded got = decoder.feed(wire);
    EXPECT_EQ(got.data, "AB");
    ASSERT_EQ(got.events.size(), 1u);
    EXPECT_EQ(got.events[0].kind, Kind::Malformed);
    EXPECT_TRUE(got.events[0].payload.isEmpty());
}

TEST(Decode, LongestKeptSubnegotiationIsWhole)
{
    const QByteArray payload(TelnetDecoder::kMaxSubnegotiation, 'x');
    TelnetDecoder decoder;
    const net::Decoded got = decoder.feed(hex("FFFA2C") + payload + hex("FFF0"));
    ASSERT_EQ(got.events.size(), 1u);
    EXPECT_EQ(got.events[0].kind, Kind::Subnegotiation);
    EXPECT_EQ(got.events[0].payload, payload);
}

TEST(Decode, EveryByteValueRoundTripsThroughEscaping)
{
    QByteArray data;
    for (int value = 0; value < 256; ++value)
        data.append(char(value));
    TelnetDecoder decoder;
    const net::Decoded got = decoder.feed(net::escapeData(data));
    EXPECT_EQ(got.data, data);
    EXPECT_TRUE(got.events.empty());
}

} // namespace
