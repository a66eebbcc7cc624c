#include "frame_report.h"
#include "options.h"

#include <QJsonArray>

#include <gtest/gtest.h>

namespace {

TEST(DotRowsTest, BitSevenIsTheLeftmostDot)
{
    protocol::DotMatrix dots {};
    dots[0] = 0x80;    // (0, 0)
    dots[9] = 0x40;    // (9, 1)
    dots[127] = 0x01;  // (63, 15)
    const QStringList rows = boardsim::dotRows(dots);
    ASSERT_EQ(rows.size(), 16);
    EXPECT_EQ(rows[0], QStringLiteral("#") + QString(63, u'.'));
    EXPECT_EQ(rows[1], QString(9, u'.') + u'#' + QString(54, u'.'));
    EXPECT_EQ(rows[15], QString(63, u'.') + u'#');
    EXPECT_EQ(rows[7], QString(64, u'.'));
}

TEST(FrameJsonTest, DisplayDataNamesItsAreaAndDigits)
{
    protocol::DecodedFrame frame {QByteArray::fromHex("02 00 10 01 EE 25 00 28 00 04 BF 92 FF B0 94 03"), 1, 0x25,
                                  QByteArray::fromHex("00 28 00 04 BF 92 FF B0")};
    protocol::FrameEffect effect;
    effect.kind = protocol::FrameEffect::Kind::DisplayData;
    effect.device = 1;
    effect.command = 0x25;
    effect.address = 40;
    effect.cells = QByteArray::fromHex("BF 92 FF B0");
    const boardsim::BoardLayout layout {{QStringLiteral("Temperature"), 40, 4, {}}};
    const QJsonObject json = boardsim::frameJson(frame, effect, QDateTime::currentDateTime(), layout);
    EXPECT_EQ(json[QStringLiteral("kind")].toString(), QStringLiteral("display-data"));
    EXPECT_EQ(json[QStringLiteral("command")].toString(), QStringLiteral("0x25"));
    EXPECT_EQ(json[QStringLiteral("address")].toInt(), 40);
    EXPECT_EQ(json[QStringLiteral("cells")].toString(), QStringLiteral("BF 92 FF B0"));
    EXPECT_EQ(json[QStringLiteral("text")].toString(), QStringLiteral("-5 3"));
    EXPECT_EQ(json[QStringLiteral("area")].toString(), QStringLiteral("Temperature"));
    EXPECT_EQ(json[QStringLiteral("bytes")].toString(), QStringLiteral("02 00 10 01 EE 25 00 28 00 04 BF 92 FF B0 94 03"));
}

struct CommandLine {
    const char* name;
    QStringList arguments;
    bool valid;
};

class OptionsTest : public ::testing::TestWithParam<CommandLine> {};

TEST_P(OptionsTest, AcceptsOnlyUsableCommandLines)
{
    const boardsim::ParsedOptions parsed = boardsim::parseOptions(QStringList {QStringLiteral("boardsim")} + GetParam().arguments);
    EXPECT_EQ(parsed.error.isEmpty(), GetParam().valid) << parsed.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, OptionsTest,
    ::testing::Values(CommandLine {"Device", {"/dev/ttyUSB0"}, true},
                      CommandLine {"PtyWithLinkAndId", {"--pty", "--link", "/tmp/board", "--id", "7"}, true},
                      CommandLine {"Nothing", {}, false},
                      CommandLine {"DeviceAndPty", {"/dev/ttyS0", "--pty"}, false},
                      CommandLine {"LinkWithoutPty", {"/dev/ttyS0", "--link", "/tmp/b"}, false},
                      CommandLine {"IdBroadcast", {"--pty", "--id", "255"}, false},
                      CommandLine {"IdNotANumber", {"--pty", "--id", "x"}, false},
                      CommandLine {"IdNegative", {"--pty", "--id", "-1"}, false},
                      CommandLine {"TwoDevices", {"/dev/ttyS0", "/dev/ttyS1"}, false},
                      CommandLine {"UnknownOption", {"--pty", "--fast"}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionsTest, DefaultsToDeviceOne)
{
    const boardsim::ParsedOptions parsed = boardsim::parseOptions({QStringLiteral("boardsim"), QStringLiteral("--pty")});
    EXPECT_EQ(parsed.options.deviceId, 1);
    EXPECT_TRUE(parsed.options.pty);
    EXPECT_FALSE(parsed.options.headless);
}

} // namespace
