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
