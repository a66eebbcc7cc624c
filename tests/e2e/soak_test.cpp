// Long run against the virtual board: the window (offscreen) sends every command over a real
// pseudo-terminal to `boardsim --headless` thousands of times. Every frame must arrive whole and
// unchanged, the receive buffer must be empty after every event, and the program's memory must
// settle instead of growing with the number of sends.
#include "app/main_form.h"
#include "protocol/clock.h"
#include "serial/vor_ms_comm.h"
#include "support/message_box_watcher.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <unistd.h>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The sanitizer build is several times slower; it runs fewer rounds and checks leaks instead
// of resident memory.
constexpr int kRounds = kSanitized ? 300 : 1500;
constexpr int kWarmUpRounds = 200;
// Each weather send pauses a second between its two frames, so it is soaked fewer times.
constexpr int kWeatherSends = kSanitized ? 3 : 10;
// The device the closing marker frame is addressed to; the window talks to device 1 only.
constexpr quint8 kMarkerDevice = 77;

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

class VirtualBoardSoak : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        m_contentPath = m_dir.filePath(QStringLiteral("VorFjp.ini"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VORFJP_SOURCE_DIR "/data/VorFjp.ini"), m_contentPath));
        QFile::setPermissions(m_contentPath, QFile::ReadOwner | QFile::WriteOwner);

        m_link = m_dir.filePath(QStringLiteral("board"));
        m_board.setProgram(QStringLiteral(VORFJP_BINARY_DIR "/tools/boardsim/boardsim"));
        m_board.setArguments({QStringLiteral("--headless"), QStringLiteral("--pty"), QStringLiteral("--link"), m_link});
        QObject::connect(&m_board, &QProcess::readyReadStandardOutput, &m_board, [this] { readBoard(); });
        m_board.start();
        ASSERT_TRUE(m_board.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([this] { return m_boardReady; }, 5000)) << "boardsim printed no port";

        m_form = std::make_unique<app::MainForm>(app::MainFormOptions{m_contentPath, [] { return QDateTime::currentDateTime(); }});
        ASSERT_FALSE(m_form->Form_Load().has_value());
        m_form->show();
        m_form->findChild<QComboBox*>(QStringLiteral("RsCombo"))->setEditText(m_link);
    }

    void TearDown() override
    {
        m_form.reset();
        m_board.terminate();
        m_board.waitForFinished(5000);
    }

    // Every line boardsim prints is one frame or one rejected run; frames are counted by kind
    // and each kind must carry the same bytes every time, since the window's content stays.
    void readBoard()
    {
        while (m_board.canReadLine()) {
            const QByteArray line = m_board.readLine().trimmed();
            const QJsonObject item = QJsonDocument::fromJson(line).object();
            const QString kind = item.value(QStringLiteral("kind")).toString();
            if (!m_boardReady) {
                m_boardReady = kind == QLatin1String("line");
                continue;
            }
            if (item.value(QStringLiteral("device")).toInt() == kMarkerDevice) {
                m_markerSeen = true;
                continue;
            }
            ++m_kinds[kind];
            const QString bytes = item.value(QStringLiteral("bytes")).toString();
            if (kind == QLatin1String("clock"))
                continue; // the clock frame changes with the time
            const QString key = kind + QLatin1Char(' ') + item.value(QStringLiteral("address")).toVariant().toString();
            auto [first, inserted] = m_firstBytes.try_emplace(key, bytes);
            if (!inserted && first->second != bytes)
                ++m_changedFrames;
        }
    }

    void click(const char* name)
    {
        m_form->findChild<QPushButton*>(QString::fromLatin1(name))->click();
    }

    int framesSeen() const
    {
        int count = 0;
        for (const auto& [kind, seen] : m_kinds)
            count += seen;
        return count;
    }

    bool waitForFrames(int count)
    {
        return QTest::qWaitFor([&] { return framesSeen() >= count; }, 10000);
    }

    QTemporaryDir m_dir;
    QString m_contentPath;
    QString m_link;
    QProcess m_board;
    bool m_boardReady = false;
    bool m_markerSeen = false;
    std::map<QString, int> m_kinds;
    std::map<QString, QString> m_firstBytes;
    int m_changedFrames = 0;
    std::unique_ptr<app::MainForm> m_form;
    apptest::MessageBoxWatcher m_boxes;
};

TEST_F(VirtualBoardSoak, ThousandsOfSendsArriveIntactWithoutGrowth)
{
    // One weather send first, so that the font and the dot rendering are loaded before the
    // memory is taken as settled.
    click("TxtSendCommand");
    int expected = 2;
    ASSERT_TRUE(waitForFrames(expected));

    qint64 settledMemory = 0;
    for (int round = 0; round < kRounds; ++round) {
        click("SendFJCommand");
        click("SendWBCommand");
        ASSERT_TRUE(m_form->SendTemperature());
        click("SeTimeCommand");
        click("FindCommand");
        expected += 5;
        ASSERT_TRUE(waitForFrames(expected)) << "round " << round << ": " << framesSeen() << " of " << expected;
        // The board answers the connection test; its reply shows one message and leaves the
        // receive buffer empty.
        ASSERT_TRUE(QTest::qWaitFor([&] { return int(m_boxes.seen().size()) >= round + 1; }, 5000))
            << "round " << round;
        ASSERT_EQ(m_form->vorMsComm().inBufferCount(), 0) << "round " << round;
        if (round + 1 == kWarmUpRounds)
            settledMemory = residentBytes();
    }
    for (int send = 1; send < kWeatherSends; ++send) {
        click("TxtSendCommand");
        expected += 2;
        ASSERT_TRUE(waitForFrames(expected));
    }
    // A frame to a board that is not there, written behind everything the window sent: once the
    // board reports it, every frame the window sent has been counted.
    auto* port = m_form->findChild<serial::VorMsComm*>();
    ASSERT_NE(port, nullptr);
    const std::optional<QByteArray> marker = protocol::clockFrame(kMarkerDevice, QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    ASSERT_TRUE(marker.has_value());
    ASSERT_TRUE(port->write(*marker).ok());
    ASSERT_TRUE(QTest::qWaitFor([this] { return m_markerSeen; }, 10000)) << "the board never reported the marker";
    const qint64 finalMemory = residentBytes();

    EXPECT_EQ(framesSeen(), expected) << "no frame more than was sent";
    EXPECT_EQ(m_kinds[QStringLiteral("display-data")], 3 * kRounds + kWeatherSends);
    EXPECT_EQ(m_kinds[QStringLiteral("clock")], kRounds);
    EXPECT_EQ(m_kinds[QStringLiteral("connection-test")], kRounds);
    EXPECT_EQ(m_kinds[QStringLiteral("dots")], kWeatherSends);
    EXPECT_EQ(m_kinds[QStringLiteral("rejected")], 0);
    EXPECT_EQ(m_kinds[QStringLiteral("malformed")], 0);
    EXPECT_EQ(m_changedFrames, 0) << "a frame arrived with other bytes than the first of its kind";
    EXPECT_EQ(int(m_boxes.seen().size()), kRounds);
    for (const apptest::SeenBox& box : m_boxes.seen())
        ASSERT_EQ(box.text, QStringLiteral("找到 1 号设备~！"));

    std::printf("soak: %d frames; resident memory %.1f MiB after %d rounds, %.1f MiB after %d\n", framesSeen(),
                double(settledMemory) / (1 << 20), kWarmUpRounds, double(finalMemory) / (1 << 20), kRounds);
    if (!kSanitized) {
        ASSERT_GT(settledMemory, 0);
        // A leak of even one small allocation per send would add megabytes over these rounds.
        EXPECT_LT(finalMemory - settledMemory, 2 << 20);
    }
}

} // namespace
