#include "serial/port_choice.h"
#include "support/pty_pair.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

struct ChoiceRow {
    const char* name;
    QString text;
    std::optional<QString> expected;
};

void PrintTo(const ChoiceRow& row, std::ostream* out)
{
    *out << '"' << row.text.toStdString() << '"';
}

class PortNumberChoice : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(PortNumberChoice, NamesThePort)
{
    EXPECT_EQ(serial::portNameForChoice(GetParam().text), GetParam().expected);
}

#ifndef Q_OS_WIN
INSTANTIATE_TEST_SUITE_P(
    Linux, PortNumberChoice,
    ::testing::Values(
        ChoiceRow {"Three", "3", QStringLiteral("/dev/ttyS2")},
        ChoiceRow {"ThreeWithBlanks", " 3 ", QStringLiteral("/dev/ttyS2")},
        ChoiceRow {"ThreeWithTab", "\t3", QStringLiteral("/dev/ttyS2")},
        ChoiceRow {"One", "1", QStringLiteral("/dev/ttyS0")},
        ChoiceRow {"Sixteen", "16", QStringLiteral("/dev/ttyS15")},
        ChoiceRow {"LeadingZero", "03", QStringLiteral("/dev/ttyS2")},
        ChoiceRow {"Largest16Bit", "32767", QStringLiteral("/dev/ttyS32766")},
        ChoiceRow {"Zero", "0", std::nullopt},
        ChoiceRow {"MinusOne", "-1", std::nullopt},
        ChoiceRow {"Above16Bit", "32768", std::nullopt},
        ChoiceRow {"Seventy000", "70000", std::nullopt},
        ChoiceRow {"Letters", "abc", std::nullopt},
        ChoiceRow {"Empty", "", std::nullopt},
        ChoiceRow {"OnlyBlanks", "   ", std::nullopt},
        ChoiceRow {"Decimal", "3.0", std::nullopt},
        ChoiceRow {"Hex", "0x3", std::nullopt},
        ChoiceRow {"NumberThenText", "3abc", std::nullopt},
        ChoiceRow {"WindowsName", "COM3", std::nullopt},
        ChoiceRow {"AbsentUsbAdapter", "/dev/ttyUSBVorFJPAbsent", QStringLiteral("/dev/ttyUSBVorFJPAbsent")},
        ChoiceRow {"ById", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0",
                   QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0")},
        ChoiceRow {"DevPathWithBlanks", " /dev/ttyUSB0 ", QStringLiteral("/dev/ttyUSB0")},
        ChoiceRow {"EscapesDev", "/dev/../etc/passwd", std::nullopt},
        ChoiceRow {"RegularFile", "/etc/passwd", std::nullopt},
        ChoiceRow {"RelativePath", "tmp/a", std::nullopt},
        ChoiceRow {"BareNameOfCharDevice", "null", QStringLiteral("/dev/null")},
        ChoiceRow {"BareNameAbsent", "ttyVorFJPAbsent", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PortChoice, PseudoTerminalLinkIsUsedAsItStands)
{
    PtyPair pty;
    ASSERT_TRUE(pty.start()) << pty.errorString().toStdString();
    EXPECT_EQ(serial::portNameForChoice(pty.linkA()), pty.linkA());
    EXPECT_EQ(serial::portNameForChoice(pty.deviceA()), pty.deviceA());
}

TEST(PortChoice, LinkToARegularFileIsRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("plain"));
    QFile plain(file);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString link = dir.filePath(QStringLiteral("link"));
    ASSERT_TRUE(QFile::link(file, link));
    EXPECT_EQ(serial::portNameForChoice(link), std::nullopt);
    EXPECT_EQ(serial::portNameForChoice(dir.filePath(QStringLiteral("missing"))), std::nullopt);
}

TEST(PortChoice, PresentDeviceUnderDevIsAccepted)
{
    // Whatever serial adapters this machine has, one present node under /dev
    // must be taken as it stands, like an absent one.
    EXPECT_EQ(serial::portNameForChoice(QStringLiteral("/dev/tty")), QStringLiteral("/dev/tty"));
}
#endif

// Points the per-user settings store at a private folder for one test.
class SavedPortChoice : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
    }

    QString storeFile() const { return m_dir.filePath(QStringLiteral("VorFJP/VorFJP.conf")); }

    QTemporaryDir m_dir;
};

TEST_F(SavedPortChoice, DefaultsToOneWhenNothingIsStored)
{
    EXPECT_EQ(serial::loadPortChoice(), QStringLiteral("1"));
    EXPECT_FALSE(QFileInfo::exists(storeFile()));
}

TEST_F(SavedPortChoice, KeepsTheTextWhateverItHolds)
{
    for (const QString& choice : {QStringLiteral("12"), QStringLiteral(" 3 "), QStringLiteral("abc"),
                                  QStringLiteral("/dev/ttyUSB0"), QStringLiteral("端口")}) {
        serial::savePortChoice(choice);
        EXPECT_EQ(serial::loadPortChoice(), choice);
    }
}

TEST_F(SavedPortChoice, StoresUnderVorFJPGroupAndKeyCommPort)
{
    serial::savePortChoice(QStringLiteral("7"));
    ASSERT_TRUE(QFileInfo::exists(storeFile()));
    const QSettings stored(storeFile(), QSettings::IniFormat);
    EXPECT_EQ(stored.value(QStringLiteral("CommPort/CommPort")).toString(), QStringLiteral("7"));
}

TEST_F(SavedPortChoice, EmptyTextIsKeptAsEmpty)
{
    serial::savePortChoice(QString());
    EXPECT_EQ(serial::loadPortChoice(), QString());
}

} // namespace

namespace {

using Protocol = net::ServerAddress::Protocol;

struct ServerRow {
    const char* name;
    QString text;
    std::optional<QString> portName; // what portNameForChoice gives
    Protocol protocol = Protocol::RawTcp;
    QString host {};
    quint16 port = 0;
};

void PrintTo(const ServerRow& row, std::ostream* out)
{
    *out << '"' << row.text.toStdString() << '"';
}

class ServerChoice : public ::testing::TestWithParam<ServerRow> {};

TEST_P(ServerChoice, NamesTheServer)
{
    const ServerRow& row = GetParam();
    EXPECT_EQ(serial::portNameForChoice(row.text), row.portName);
    const auto address = serial::serverAddressForChoice(row.text);
    ASSERT_EQ(address.has_value(), row.portName.has_value());
    if (!address)
        return;
    EXPECT_EQ(address->protocol, row.protocol);
    EXPECT_EQ(address->host, row.host);
    EXPECT_EQ(address->port, row.port);
    EXPECT_EQ(serial::choiceForServerAddress(*address), *row.portName);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServerChoice,
    ::testing::Values(
        ServerRow {"RawTcp", "tcp://127.0.0.1:4001", QStringLiteral("tcp://127.0.0.1:4001"), Protocol::RawTcp,
                   "127.0.0.1", 4001},
        ServerRow {"Rfc2217", "rfc2217://127.0.0.1:2217", QStringLiteral("rfc2217://127.0.0.1:2217"), Protocol::Rfc2217,
                   "127.0.0.1", 2217},
        ServerRow {"HostName", "rfc2217://lobby-server:7000", QStringLiteral("rfc2217://lobby-server:7000"),
                   Protocol::Rfc2217, "lobby-server", 7000},
        ServerRow {"Ipv6", "tcp://[::1]:4001", QStringLiteral("tcp://[::1]:4001"), Protocol::RawTcp, "::1", 4001},
        ServerRow {"UpperCaseSchemeAndBlanks", "  TCP://127.0.0.1:4001 ", QStringLiteral("tcp://127.0.0.1:4001"),
                   Protocol::RawTcp, "127.0.0.1", 4001},
        ServerRow {"HighestPort", "tcp://127.0.0.1:65535", QStringLiteral("tcp://127.0.0.1:65535"), Protocol::RawTcp,
                   "127.0.0.1", 65535},
        ServerRow {"NoPort", "tcp://127.0.0.1", std::nullopt},
        ServerRow {"PortZero", "tcp://127.0.0.1:0", std::nullopt},
        ServerRow {"PortTooBig", "tcp://127.0.0.1:65536", std::nullopt},
        ServerRow {"NoHost", "tcp://:4001", std::nullopt},
        ServerRow {"PathAfterPort", "tcp://127.0.0.1:4001/x", std::nullopt},
        ServerRow {"QueryAfterPort", "rfc2217://127.0.0.1:4001?baud=9600", std::nullopt},
        ServerRow {"UserInfo", "tcp://me@127.0.0.1:4001", std::nullopt},
        ServerRow {"OtherScheme", "telnet://127.0.0.1:23", std::nullopt},
        ServerRow {"Ipv6WithoutBrackets", "tcp://::1:4001", std::nullopt},
        ServerRow {"SchemeOnly", "tcp://", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ServerChoice, DevicePathsAndNumbersAreNoServers)
{
    EXPECT_FALSE(serial::serverAddressForChoice(QStringLiteral("3")));
    EXPECT_FALSE(serial::serverAddressForChoice(QStringLiteral("/dev/ttyUSB0")));
}

} // namespace
