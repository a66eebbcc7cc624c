// The window driven against the virtual board behind ser2net's RFC 2217
// accepter, and against device servers that fail, all on loopback.

#include "app/main_form.h"
#include "app/status_lamp.h"
#include "support/content_file_bytes.h"
#include "support/device_servers.h"
#include "support/message_box_watcher.h"

#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

namespace {

constexpr int kBoardId = 7;

class WindowOnADeviceServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        m_contentPath = m_dir.filePath(QStringLiteral("VorFjp.ini"));
        QFile file(m_contentPath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(apptest::RecordPieces().fileBytes());
        file.close();
        form = std::make_unique<app::MainForm>(
            app::MainFormOptions {m_contentPath, [] { return QDateTime(QDate(2012, 5, 23), QTime(20, 14, 6)); }});
        ASSERT_FALSE(form->Form_Load().has_value());
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    void TearDown() override { form.reset(); }

    void startBoardBehindSer2net()
    {
        ASSERT_TRUE(board.start({QStringLiteral("--pty"), QStringLiteral("--id"), QString::number(kBoardId)}))
            << board.errorString().toStdString();
        const QString pty = board.firstLine().value(QStringLiteral("pty")).toString();
        ASSERT_TRUE(server.start(QStringLiteral("telnet(rfc2217),tcp"), pty, QStringLiteral("115200n81")))
            << server.errorString().toStdString();
    }

    void choose(const QString& text)
    {
        form->findChild<QComboBox*>(QStringLiteral("RsCombo"))->setEditText(text);
    }

    void click(const char* name)
    {
        auto* button = form->findChild<QPushButton*>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QColor lamp() const { return form->findChild<app::StatusLamp*>(QStringLiteral("GetValShape"))->fillColour(); }

    QTemporaryDir m_dir;
    QString m_contentPath;
    testsupport::HeadlessBoard board;
    testsupport::Ser2net server;
    std::unique_ptr<app::MainForm> form;
    apptest::MessageBoxWatcher boxes;
};

TEST_F(WindowOnADeviceServer, ConnectionTestThroughSer2netFindsTheBoard)
{
    startBoardBehindSer2net();
    choose(QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port()));
    click("FindCommand");
    EXPECT_EQ(lamp(), QColor(0, 255, 0));
    EXPECT_EQ(board.nextObject().value(QStringLiteral("bytes")).toString(), QStringLiteral("02 00 09 FF EE 21 FF C6 03"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty(); }, 5000));
    EXPECT_EQ(boxes.seen().front().text, QStringLiteral("找到 %1 号设备~！").arg(kBoardId));
    EXPECT_EQ(boxes.seen().front().icon, QMessageBox::Information);
}

TEST_F(WindowOnADeviceServer, RoomRatesGoOutWholeAndAreSaved)
{
    startBoardBehindSer2net();
    choose(QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port()));
    QFile::remove(m_contentPath);
    click("SendFJCommand");
    EXPECT_EQ(lamp(), QColor(0, 255, 0));
    EXPECT_EQ(board.nextObject().value(QStringLiteral("kind")).toString(), QStringLiteral("display-data"));
    EXPECT_TRUE(QFile::exists(m_contentPath)) << "saved after a send that is done";
    EXPECT_TRUE(boxes.seen().empty()) << boxes.seen().front().text.toStdString();
}

TEST_F(WindowOnADeviceServer, RefusedServerIsAnOpenErrorWithWhatToDo)
{
    const testsupport::RawSocket taken(testsupport::RawSocket::Kind::BoundNotListening);
    ASSERT_TRUE(taken.ok());
    choose(QStringLiteral("tcp://127.0.0.1:%1").arg(taken.port()));
    QFile::remove(m_contentPath);
    click("SendFJCommand");
    EXPECT_EQ(lamp(), QColor(0, 0, 0));
    ASSERT_EQ(boxes.seen().size(), 1u);
    EXPECT_TRUE(boxes.seen().front().text.startsWith(QStringLiteral("端口打开错误~!")));
    EXPECT_TRUE(boxes.seen().front().text.contains(QStringLiteral("拒绝连接")));
    EXPECT_FALSE(QFile::exists(m_contentPath)) << "nothing was sent, so nothing is saved";
}

TEST_F(WindowOnADeviceServer, StalledServerFailsTheSendAndNothingIsSaved)
{
    const testsupport::RawSocket stalled(testsupport::RawSocket::Kind::ListeningNeverAccepting);
    ASSERT_TRUE(stalled.ok());
    choose(QStringLiteral("tcp://127.0.0.1:%1").arg(stalled.port()));
    // Weather sends, as an operator repeats them, until the server's buffers are full.
    for (int send = 0; send < 400 && boxes.seen().empty(); ++send) {
        QFile::remove(m_contentPath);
        click("SendWBCommand");
    }
    ASSERT_EQ(boxes.seen().size(), 1u) << "one message for the send that failed";
    EXPECT_TRUE(boxes.seen().front().text.contains(QStringLiteral("没有收下整帧数据")))
        << boxes.seen().front().text.toStdString();
    EXPECT_EQ(lamp(), QColor(0, 0, 0));
    EXPECT_FALSE(QFile::exists(m_contentPath)) << "a send that is not done is not saved";
}

TEST_F(WindowOnADeviceServer, ServerGoneIsOneMessageAndTheNextSendReconnects)
{
    startBoardBehindSer2net();
    const QString choice = QStringLiteral("rfc2217://127.0.0.1:%1").arg(server.port());
    choose(choice);
    click("OpenRs232Command");
    ASSERT_EQ(lamp(), QColor(0, 255, 0));
    board.kill(); // ser2net loses its device and drops the client
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty(); }, 5000));
    EXPECT_EQ(lamp(), QColor(0, 0, 0));
    EXPECT_TRUE(boxes.seen().front().text.contains(QStringLiteral("断开"))) << boxes.seen().front().text.toStdString();
    EXPECT_FALSE(form->vorMsComm().portOpen());

    // A board back behind a server: the next send connects by itself, without "打开串口".
    testsupport::HeadlessBoard nextBoard;
    ASSERT_TRUE(nextBoard.start({QStringLiteral("--pty"), QStringLiteral("--id"), QStringLiteral("9")}));
    testsupport::Ser2net nextServer;
    ASSERT_TRUE(nextServer.start(QStringLiteral("telnet(rfc2217),tcp"),
                                 nextBoard.firstLine().value(QStringLiteral("pty")).toString(), QStringLiteral("9600n81")));
    choose(QStringLiteral("rfc2217://127.0.0.1:%1").arg(nextServer.port()));
    click("FindCommand");
    EXPECT_EQ(lamp(), QColor(0, 255, 0));
    // A second report of the same hang-up, which would come at once, would stand before the answer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.seen().size() >= 2; }, 5000));
    EXPECT_EQ(boxes.seen().size(), 2u);
    EXPECT_TRUE(boxes.seen()[0].text.contains(QStringLiteral("断开")));
    EXPECT_EQ(boxes.seen()[1].text, QStringLiteral("找到 9 号设备~！"));
}

struct DevicelessRow {
    const char* name;
    const char* accepter;
    const char* scheme;
    const char* message; // a part of the one message the window shows
};

void PrintTo(const DevicelessRow& row, std::ostream* out)
{
    *out << row.name;
}

class WindowOnAServerWithoutItsDevice : public WindowOnADeviceServer,
                                        public ::testing::WithParamInterface<DevicelessRow> {};

// ser2net in front of a device it cannot open: it takes the connection, says so in plain text
// and hangs up. Over RFC 2217 that comes before the line settings are answered, so the port does
// not open; a raw connection has no answers to wait for and is lost right after the send.
TEST_P(WindowOnAServerWithoutItsDevice, IsOneMessage)
{
    ASSERT_TRUE(server.start(QString::fromLatin1(GetParam().accepter), m_dir.filePath(QStringLiteral("no-such-tty")),
                             QStringLiteral("57600n81")))
        << server.errorString().toStdString();
    choose(QStringLiteral("%1://127.0.0.1:%2").arg(QLatin1String(GetParam().scheme)).arg(server.port()));
    click("SendFJCommand");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.seen().empty(); }, 5000));
    EXPECT_EQ(lamp(), QColor(0, 0, 0));
    EXPECT_FALSE(form->vorMsComm().portOpen());
    EXPECT_TRUE(boxes.seen().front().text.contains(QString::fromUtf8(GetParam().message)))
        << boxes.seen().front().text.toStdString();
    EXPECT_EQ(boxes.seen().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Ser2net, WindowOnAServerWithoutItsDevice,
    ::testing::Values(DevicelessRow {"Rfc2217", "telnet(rfc2217),tcp", "rfc2217", "关闭了连接"},
                      DevicelessRow {"RawTcp", "tcp", "tcp", "断开"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
