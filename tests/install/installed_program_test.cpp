// The installed programs, started from a temporary prefix the way a packaged installation starts
// them: every file in its place, the console answers without a display, the per-user content
// file made from the template, and a send that rewrites the user's file and nothing else.
#include "installed_tree.h"

#include "app/app_icon.h"
#include "app/window_font.h"
#include "storage/content_file.h"
#include "support/pty_pair.h"
#include "support/x_display.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

using installtest::InstalledTree;
using installtest::readAll;
using installtest::runToEnd;

const QString kAppId = QStringLiteral("org.vorfjp.VorFJP");

QByteArray deliveredBytes()
{
    return readAll(QStringLiteral(VORFJP_SOURCE_DIR "/data/VorFjp.ini"));
}

class Installed : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(tree.installed()) << tree.log().toStdString(); }
    InstalledTree tree;
};

TEST_F(Installed, HoldsEveryFileOfAnInstallation)
{
    const QStringList files{
        QStringLiteral("bin/vorfjp"),
        QStringLiteral("bin/vorfjp-boardsim"),
        QStringLiteral("bin/vorfjp-send"),
        QStringLiteral("share/man/man1/vorfjp-send.1.gz"),
        QStringLiteral("lib/systemd/user/vorfjp-clock-sync.service"),
        QStringLiteral("lib/systemd/user/vorfjp-clock-sync.timer"),
        QStringLiteral("share/vorfjp/translations/vorfjp-send_zh_CN.qm"),
        QStringLiteral("share/vorfjp/VorFjp.ini"),
        QStringLiteral("share/applications/") + kAppId + QStringLiteral(".desktop"),
        QStringLiteral("share/metainfo/") + kAppId + QStringLiteral(".metainfo.xml"),
        QStringLiteral("share/man/man1/vorfjp.1.gz"),
        QStringLiteral("share/man/man1/vorfjp-boardsim.1.gz"),
        QStringLiteral("share/doc/vorfjp/README.md"),
        QStringLiteral("share/doc/vorfjp/copyright"),
        QStringLiteral("share/doc/vorfjp/changelog.gz"),
        QStringLiteral("share/doc/vorfjp/examples/60-vorfjp-board.rules"),
        QStringLiteral("bin/vorfjp-web"),
        QStringLiteral("lib/systemd/user/vorfjp-web.service"),
        QStringLiteral("share/man/man1/vorfjp-web.1.gz"),
        QStringLiteral("share/vorfjp/translations/vorfjp-web_zh_CN.qm"),
    };
    for (const QString& relative : files)
        EXPECT_TRUE(QFileInfo(tree.file(relative)).isFile()) << relative.toStdString();
    for (const QString& program : {QStringLiteral("bin/vorfjp"), QStringLiteral("bin/vorfjp-boardsim")})
        EXPECT_TRUE(QFileInfo(tree.file(program)).isExecutable()) << program.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tree.file(QStringLiteral("bin/boardsim")))) << "a generic name in the path";
    EXPECT_FALSE(QFileInfo::exists(tree.file(QStringLiteral("bin/VorFjp.ini"))))
        << "a content file beside the installed program would make it portable";
    EXPECT_EQ(readAll(tree.templateContent()), deliveredBytes());
}

TEST_F(Installed, MenuEntryStartsTheWindowProgramWithTheInstalledIcon)
{
    const QString entry = QString::fromUtf8(readAll(tree.file(QStringLiteral("share/applications/") + kAppId
                                                              + QStringLiteral(".desktop"))));
    const QStringList lines = entry.split(u'\n');
    EXPECT_TRUE(lines.contains(QStringLiteral("Exec=vorfjp"))) << entry.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Icon=") + kAppId)) << entry.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("Terminal=false")));
    const QString metainfo = QString::fromUtf8(readAll(tree.file(QStringLiteral("share/metainfo/") + kAppId
                                                                 + QStringLiteral(".metainfo.xml"))));
    EXPECT_TRUE(metainfo.contains(QStringLiteral("<launchable type=\"desktop-id\">") + kAppId
                                  + QStringLiteral(".desktop</launchable>")));
}

class InstalledIcon : public Installed, public ::testing::WithParamInterface<int> {};

TEST_P(InstalledIcon, IsTheWindowIconsDrawingAtItsSize)
{
    const int size = GetParam();
    const QString path = tree.file(QStringLiteral("share/icons/hicolor/%1x%1/apps/").arg(size) + kAppId
                                   + QStringLiteral(".png"));
    QImage installed(path);
    ASSERT_FALSE(installed.isNull()) << path.toStdString();
    EXPECT_EQ(installed.size(), QSize(size, size));
    const QImage drawn = app::drawAppIconImage(size, app::uiFontFamily());
    EXPECT_EQ(installed.convertToFormat(QImage::Format_ARGB32), drawn.convertToFormat(QImage::Format_ARGB32));
}

INSTANTIATE_TEST_SUITE_P(Hicolor, InstalledIcon, ::testing::Values(16, 22, 24, 32, 48, 64, 128, 256),
                         [](const auto& info) { return "Size" + std::to_string(info.param); });

struct ConsoleRow {
    const char* name;
    const char* program;
    QStringList arguments;
    int exitCode;
    const char* inOut; // expected in standard output
    const char* inErr; // expected in standard error
};

void PrintTo(const ConsoleRow& row, std::ostream* out)
{
    *out << row.name;
}

class InstalledConsole : public Installed, public ::testing::WithParamInterface<ConsoleRow> {};

TEST_P(InstalledConsole, AnswersWithoutADisplay)
{
    const ConsoleRow& row = GetParam();
    // As in an ssh session: no display, and no platform chosen for the program.
    QProcessEnvironment environment = tree.environment();
    for (const QString& name : {QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"), QStringLiteral("QT_QPA_PLATFORM")})
        environment.remove(name);
    const installtest::Run run =
        runToEnd(tree.file(QStringLiteral("bin/") + QLatin1String(row.program)), row.arguments, environment);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, row.exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QLatin1String(row.inOut))) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String(row.inErr))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tree.lockFile())) << "the console answer took the instance lock";
}

INSTANTIATE_TEST_SUITE_P(
    Options, InstalledConsole,
    ::testing::Values(
        ConsoleRow{"Version", "vorfjp", {QStringLiteral("--version")}, 0, "VorFJP 1.0\n", ""},
        ConsoleRow{"Help", "vorfjp", {QStringLiteral("--help")}, 0, "--content-path", ""},
        ConsoleRow{"UnknownOption", "vorfjp", {QStringLiteral("--bogus")}, 2, "", "bogus"},
        ConsoleRow{"StrayArgument", "vorfjp", {QStringLiteral("rooms")}, 2, "", "rooms"},
        ConsoleRow{"BoardVersion", "vorfjp-boardsim", {QStringLiteral("--version")}, 0, "vorfjp-boardsim 1.0\n", ""},
        ConsoleRow{"BoardHelp", "vorfjp-boardsim", {QStringLiteral("--help")}, 0, "--content", ""}),
    [](const auto& info) { return std::string(info.param.name); });

class InstalledFirstStart : public Installed, public ::testing::WithParamInterface<bool> {};

TEST_P(InstalledFirstStart, CopiesTheTemplateByteForByteIntoTheUsersDataFolder)
{
    QProcessEnvironment environment = tree.environment(GetParam());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setWorkingDirectory(tree.home());
    program.start(tree.file(QStringLiteral("bin/vorfjp")), {});
    ASSERT_TRUE(program.waitForStarted(5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(tree.perUserContent()); }, 15000))
        << program.readAllStandardError().toStdString();
    // A start that could not load the copy would end with a message instead of staying up.
    EXPECT_FALSE(program.waitForFinished(1500)) << program.readAllStandardError().toStdString();
    EXPECT_EQ(readAll(tree.perUserContent()), deliveredBytes());
    EXPECT_EQ(readAll(tree.templateContent()), deliveredBytes());
    program.kill();
    program.waitForFinished(5000);

    const installtest::Run asked =
        runToEnd(tree.file(QStringLiteral("bin/vorfjp")), {QStringLiteral("--content-path")}, environment);
    EXPECT_EQ(asked.exitCode, 0) << asked.err.toStdString();
    EXPECT_EQ(asked.out, tree.perUserContent() + u'\n');
}

INSTANTIATE_TEST_SUITE_P(DataHome, InstalledFirstStart, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "FromXdgDataHome" : "FromHome"; });

TEST_F(Installed, UsersOwnFileIsKeptAtTheNextStart)
{
    const QByteArray own = QByteArray("16  32  ") + deliveredBytes().mid(8);
    ASSERT_TRUE(QDir().mkpath(QFileInfo(tree.perUserContent()).absolutePath()));
    QFile file(tree.perUserContent());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(own) == own.size());
    file.close();
    const installtest::Run asked =
        runToEnd(tree.file(QStringLiteral("bin/vorfjp")), {QStringLiteral("--content-path")}, tree.environment());
    EXPECT_EQ(asked.exitCode, 0) << asked.err.toStdString();
    EXPECT_EQ(asked.out, tree.perUserContent() + u'\n');
    EXPECT_EQ(readAll(tree.perUserContent()), own);

    // The command-line sender reads the same file: its room-rate frame carries address 16.
    const installtest::Run sent = runToEnd(tree.file(QStringLiteral("bin/vorfjp-send")),
                                           {QStringLiteral("--dry-run"), QStringLiteral("rooms")}, tree.environment());
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_TRUE(sent.out.startsWith(QStringLiteral("02 00 2C FF EE 25 00 10 00 20 "))) << sent.out.toStdString();
    EXPECT_EQ(readAll(tree.perUserContent()), own);
}

TEST_F(Installed, SenderDrawsTheWeatherWithItsInstalledModule)
{
    const installtest::Run sent = runToEnd(tree.file(QStringLiteral("bin/vorfjp-send")),
                                           {QStringLiteral("--dry-run"), QStringLiteral("weather")}, tree.environment());
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    const QStringList frames = sent.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(frames.size(), 2) << sent.out.toStdString();
    EXPECT_TRUE(frames[1].startsWith(installtest::kWeatherDotFrameStart)) << "the dot frame: " << frames[1].toStdString();
}

TEST_F(Installed, MissingTemplateStopsTheStartNamingTheFileAndTheTemplate)
{
    ASSERT_TRUE(QFile::remove(tree.templateContent()));
    const installtest::Run asked =
        runToEnd(tree.file(QStringLiteral("bin/vorfjp")), {QStringLiteral("--content-path")}, tree.environment());
    EXPECT_EQ(asked.exitCode, 1);
    EXPECT_TRUE(asked.out.isEmpty()) << asked.out.toStdString();
    EXPECT_TRUE(asked.err.contains(tree.perUserContent())) << asked.err.toStdString();
    EXPECT_TRUE(asked.err.contains(tree.templateContent())) << asked.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tree.perUserContent()));
}

// The board's end of the line, read without blocking.
class LineEnd {
public:
    explicit LineEnd(const QString& device) : m_fd(::open(device.toLocal8Bit().constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK)) {}
    ~LineEnd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    LineEnd(const LineEnd&) = delete;
    LineEnd& operator=(const LineEnd&) = delete;
    bool isOpen() const { return m_fd >= 0; }
    // Everything that arrived so far.
    const QByteArray& received()
    {
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;)
            m_received.append(buffer, n);
        return m_received;
    }

private:
    int m_fd;
    QByteArray m_received;
};

// An operator's click and typing in the window, through the X server.
bool xdotool(const QString& display, const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("xdotool"), arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

struct SendRow {
    const char* name;
    bool portable; // the installed program copied into a writable folder with a VorFjp.ini beside it
};

void PrintTo(const SendRow& row, std::ostream* out)
{
    *out << row.name;
}

class InstalledSend : public Installed, public ::testing::WithParamInterface<SendRow> {};

TEST_P(InstalledSend, RewritesTheFileInUseAndNothingElse)
{
    apptest::XvfbServer server;
    if (!server.start())
        GTEST_SKIP() << "Xvfb is not available";
    PtyPair line;
    ASSERT_TRUE(line.start()) << line.errorString().toStdString();
    LineEnd board(line.deviceB());
    ASSERT_TRUE(board.isOpen());

    QString program = tree.file(QStringLiteral("bin/vorfjp"));
    QString inUse = tree.perUserContent();
    if (GetParam().portable) {
        const QString folder = tree.home() + QStringLiteral("/portable");
        ASSERT_TRUE(QDir().mkpath(folder));
        ASSERT_TRUE(QFile::copy(program, folder + QStringLiteral("/vorfjp")));
        program = folder + QStringLiteral("/vorfjp");
        inUse = folder + QStringLiteral("/VorFjp.ini");
        ASSERT_TRUE(QFile::copy(tree.templateContent(), inUse));
    }
    ASSERT_TRUE(QDir().mkpath(tree.configHome() + QStringLiteral("/VorFJP")));
    QFile settings(tree.configHome() + QStringLiteral("/VorFJP/VorFJP.conf"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[CommPort]\nCommPort=" + line.linkA().toUtf8() + "\n");
    settings.close();

    QProcessEnvironment environment = tree.environment();
    environment.insert(QStringLiteral("DISPLAY"), server.display());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess window;
    window.setProcessEnvironment(environment);
    window.setWorkingDirectory(tree.home());
    window.start(program, {});
    ASSERT_TRUE(window.waitForStarted(5000));
    const QString title = QStringLiteral("VorFJP - 57600");
    ASSERT_TRUE(QTest::qWaitFor([&] { return apptest::shownWindowTitles(server.display()).contains(title); }, 20000))
        << window.readAllStandardError().toStdString();
    ASSERT_EQ(readAll(inUse), deliveredBytes());

    // The first room rate, then "发送房价", at their places in the window.
    ASSERT_TRUE(xdotool(server.display(), {QStringLiteral("search"), QStringLiteral("--name"),
                                            QStringLiteral("^VorFJP - 57600$"), QStringLiteral("windowfocus"),
                                            QStringLiteral("--sync"),
                                            QStringLiteral("mousemove"), QStringLiteral("--window"),
                                            QStringLiteral("%1"), QStringLiteral("124"), QStringLiteral("42"),
                                            QStringLiteral("click"), QStringLiteral("1"), QStringLiteral("key"),
                                            QStringLiteral("ctrl+a"), QStringLiteral("type"), QStringLiteral("77")}));
    ASSERT_TRUE(xdotool(server.display(), {QStringLiteral("search"), QStringLiteral("--name"),
                                            QStringLiteral("^VorFJP - 57600$"), QStringLiteral("mousemove"),
                                            QStringLiteral("--window"), QStringLiteral("%1"), QStringLiteral("80"),
                                            QStringLiteral("272"), QStringLiteral("click"), QStringLiteral("1")}));

    ASSERT_TRUE(QTest::qWaitFor([&] { return readAll(inUse) != deliveredBytes(); }, 15000))
        << "the send did not rewrite " << inUse.toStdString() << "; board got " << board.received().size()
        << " bytes; " << window.readAllStandardError().toStdString();
    const storage::DecodeResult saved = storage::loadContentFile(inUse);
    ASSERT_TRUE(saved.content) << saved.error.toStdString();
    EXPECT_EQ(saved.content->fjValues[0], QStringLiteral("  77"));
    EXPECT_EQ(saved.content->fjAddress, 0);
    EXPECT_EQ(saved.content->fjLength, 32);
    EXPECT_EQ(readAll(tree.templateContent()), deliveredBytes()) << "the send changed the installed template";
    EXPECT_EQ(QFileInfo::exists(tree.perUserContent()), !GetParam().portable);

    // The room-rate frame: start byte, its own length, every board, display data, end byte.
    ASSERT_TRUE(QTest::qWaitFor([&] { return board.received().size() >= 3; }, 5000));
    const QByteArray frame = board.received();
    const int length = (quint8(frame[1]) << 8) | quint8(frame[2]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return board.received().size() >= length; }, 5000));
    EXPECT_EQ(quint8(board.received()[0]), 0x02);
    EXPECT_EQ(quint8(board.received()[3]), 0xFF);
    EXPECT_EQ(quint8(board.received()[5]), 0x25);
    EXPECT_EQ(quint8(board.received()[length - 1]), 0x03);

    ASSERT_TRUE(apptest::closeWindowTitled(server.display(), title));
    EXPECT_TRUE(window.waitForFinished(10000));
}

INSTANTIATE_TEST_SUITE_P(Layout, InstalledSend,
                         ::testing::Values(SendRow{"PerUser", false}, SendRow{"Portable", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
