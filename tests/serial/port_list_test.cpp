#include "serial/port_list.h"
#include "support/pty_pair.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace {

using serial::PortEntry;
using serial::SystemPort;

// The machine's own ports: every one QSerialPortInfo reports is offered once,
// by its own path or by a stable link that leads to it.
TEST(PortList, OffersEveryPortTheMachineReports)
{
    const QList<QSerialPortInfo> reported = QSerialPortInfo::availablePorts();
    const std::vector<PortEntry> entries = serial::portEntries(serial::machinePorts());
    ASSERT_EQ(entries.size(), std::size_t(reported.size()));
    for (const QSerialPortInfo& info : reported) {
        const QString node = QFileInfo(info.systemLocation()).canonicalFilePath();
        const bool offered = std::any_of(entries.begin(), entries.end(), [&](const PortEntry& entry) {
            return entry.path == info.systemLocation()
                   || (entry.path.startsWith(QLatin1String(serial::kStableNameFolder))
                       && QFileInfo(entry.path).canonicalFilePath() == node);
        });
        EXPECT_TRUE(offered) << info.systemLocation().toStdString();
    }
    for (std::size_t i = 1; i < entries.size(); ++i)
        EXPECT_LT(entries[i - 1].path, entries[i].path) << "sorted, each once";
}

// No USB adapter can be plugged in for the test, so its stable-name folder is
// made here, with links to real terminals: the pair's two pseudo-terminals.
class StableNames : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(m_pty.start()) << m_pty.errorString().toStdString();
    }

    QString link(const char* name, const QString& target)
    {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        EXPECT_TRUE(QFile::link(target, path));
        return path;
    }

    QTemporaryDir m_dir;
    PtyPair m_pty;
};

TEST_F(StableNames, APortWithAStableLinkIsOfferedByIt)
{
    const QString stable = link("usb-Prolific_USB-Serial_Controller-if00-port0", m_pty.deviceA());
    const std::vector<SystemPort> ports {
        {m_pty.deviceA(), QStringLiteral("USB-Serial Controller"), QStringLiteral("Prolific Technology Inc.")},
        {m_pty.deviceB(), QStringLiteral("Virtual"), QString()},
    };
    std::vector<PortEntry> got = serial::portEntries(ports, m_dir.path());
    const std::vector<PortEntry> expected {
        {m_pty.deviceB(), QStringLiteral("Virtual")},
        {stable, QStringLiteral("USB-Serial Controller (Prolific Technology Inc.)")},
    };
    // Put in a fixed order, whatever the temporary folder sorts like against /dev/pts.
    std::sort(got.begin(), got.end(), [](const PortEntry& a, const PortEntry& b) { return a.detail < b.detail; });
    EXPECT_EQ(got, (std::vector<PortEntry> {expected[1], expected[0]}));
}

TEST_F(StableNames, LinksAreFollowedToTheEndOnBothSides)
{
    QTemporaryDir elsewhere;
    const QString hop = elsewhere.filePath(QStringLiteral("hop"));
    ASSERT_TRUE(QFile::link(m_pty.deviceB(), hop));
    const QString stable = link("usb-FTDI_FT232R_USB_UART-if00-port0", hop);
    link("dangling", m_dir.filePath(QStringLiteral("nowhere")));
    const std::vector<PortEntry> got =
        serial::portEntries({{m_pty.linkB(), QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI")}}, m_dir.path());
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].path, stable);
    EXPECT_EQ(got[0].detail, QStringLiteral("FT232R USB UART (FTDI)"));
}

TEST_F(StableNames, PortWithoutLinkKeepsItsPath)
{
    const std::vector<PortEntry> got = serial::portEntries({{QStringLiteral("/dev/ttyS0"), {}, {}}}, m_dir.path());
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], (PortEntry {QStringLiteral("/dev/ttyS0"), QString()}));
}

struct DetailRow {
    const char* name;
    const char* description;
    const char* manufacturer;
    const char* detail;
};

class Detail : public ::testing::TestWithParam<DetailRow> {};

TEST_P(Detail, ShowsWhatTheAdapterSays)
{
    const DetailRow& row = GetParam();
    const auto got = serial::portEntries(
        {{QStringLiteral("/dev/ttyVorFJPAbsent"), QString::fromUtf8(row.description), QString::fromUtf8(row.manufacturer)}},
        QStringLiteral("/nonexistent-folder"));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].detail, QString::fromUtf8(row.detail));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Detail,
    ::testing::Values(DetailRow {"both", "USB-Serial Controller", "Prolific", "USB-Serial Controller (Prolific)"},
                      DetailRow {"description_only", "ttyS0", "", "ttyS0"},
                      DetailRow {"manufacturer_only", "", "FTDI", "FTDI"},
                      DetailRow {"manufacturer_in_description", "FTDI FT232R", "FTDI", "FTDI FT232R"},
                      DetailRow {"neither", "", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
