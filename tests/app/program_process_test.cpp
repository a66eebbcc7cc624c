// The real program started as the operator starts it: one instance at a time, and a start-up
// that cannot load its board content file ends with a message instead of a window.
#include "support/content_file_bytes.h"
#include "support/x_display.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// A copy of the program in a folder of its own, with its own runtime and settings folders.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::optional<QByteArray>& contentFile = apptest::RecordPieces().fileBytes())
    {
        QDir dir(m_dir.path());
        dir.mkpath(QStringLiteral("program"));
        dir.mkpath(QStringLiteral("run"));
        dir.mkpath(QStringLiteral("config"));
        dir.mkpath(QStringLiteral("data"));
        QFile::setPermissions(dir.filePath(QStringLiteral("run")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_program = dir.filePath(QStringLiteral("program/vorfjp"));
        copied = QFile::copy(QStringLiteral(VORFJP_BINARY_DIR "/src/app/vorfjp"), m_program);
        if (contentFile) {
            QFile file(dir.filePath(QStringLiteral("program/VorFjp.ini")));
            copied = copied && file.open(QIODevice::WriteOnly) && file.write(*contentFile) == contentFile->size();
        }
    }

    bool copied = false;

    QString lockFile() const { return m_dir.filePath(QStringLiteral("run/VorFJP.lock")); }
    QString configDir() const { return m_dir.filePath(QStringLiteral("config")); }
    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }

    // Starts the program from another working directory, as a desktop launcher would.
    void start(QProcess& process, const QString& platform = QStringLiteral("offscreen"),
               const QString& display = QString()) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dataDir());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        // In the sanitizer build: the X11 platform's D-Bus library keeps a buffer to the end of
        // the process, which the leak checker would otherwise count against the program.
        const QString suppressions = m_dir.filePath(QStringLiteral("lsan.supp"));
        QFile file(suppressions);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("leak:libdbus-1.so\n") > 0);
        file.close();
        const QString lsan = environment.value(QStringLiteral("LSAN_OPTIONS"));
        environment.insert(QStringLiteral("LSAN_OPTIONS"),
                           (lsan.isEmpty() ? QString() : lsan + QLatin1Char(':')) + QStringLiteral("suppressions=")
                               + suppressions);
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(m_program, {});
        ASSERT_TRUE(process.waitForStarted(5000));
    }

private:
    QTemporaryDir m_dir;
    QString m_program;
};

void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(5000);
}

TEST(ProgramProcess, SecondStartEndsAtOnceAndLeavesTheFirstRunning)
{
    ProgramCopy program;
    ASSERT_TRUE(program.copied);
    QProcess first;
    program.start(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(program.lockFile()); }, 10000));

    QProcess second;
    program.start(second);
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_TRUE(QDir(program.configDir()).isEmpty()) << "the second start wrote settings";
    stop(first);
}

TEST(ProgramProcess, LockLeftByAKilledRunDoesNotBlockTheNextStart)
{
    ProgramCopy program;
    ASSERT_TRUE(program.copied);
    QProcess crashed;
    program.start(crashed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(program.lockFile()); }, 10000));
    stop(crashed);
    ASSERT_TRUE(QFile::exists(program.lockFile())) << "a killed run leaves its lock behind";

    QProcess next;
    program.start(next);
    const auto lockHolder = [&] {
        QFile lock(program.lockFile());
        return lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong() : -1;
    };
    // Either the new run takes the lock over, or it ends because it thinks another run holds it.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return lockHolder() == next.processId() || next.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(next.state(), QProcess::Running) << "the next start ended: " << next.exitCode();
    EXPECT_EQ(lockHolder(), next.processId()) << "the new run took the lock over";
    stop(next);
}

struct StartFailureRow {
    const char* name;
    std::optional<QByteArray> contentFile;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const StartFailureRow& row, std::ostream* out)
{
    *out << row.name;
}

class ProgramStartFailure : public ::testing::TestWithParam<StartFailureRow> {};

TEST_P(ProgramStartFailure, ShowsOnlyAMessageAndEndsWithAnErrorWhenItIsClosed)
{
    apptest::XvfbServer server;
    if (!server.start())
        GTEST_SKIP() << "Xvfb is not available";
    ProgramCopy program(GetParam().contentFile);
    ASSERT_TRUE(program.copied);
    QProcess process;
    program.start(process, QStringLiteral("xcb"), server.display());

    const QString boxTitle = QStringLiteral("VorFJP");
    ASSERT_TRUE(QTest::qWaitFor([&] { return apptest::shownWindowTitles(server.display()).contains(boxTitle); },
                                15000))
        << "no message box appeared; windows: "
        << apptest::shownWindowTitles(server.display()).join(QLatin1Char('|')).toStdString()
        << "; program output: " << process.readAllStandardError().toStdString();
    EXPECT_EQ(process.state(), QProcess::Running) << "the program waits for the operator";
    EXPECT_FALSE(apptest::shownWindowTitles(server.display()).contains(QStringLiteral("VorFJP - 57600")));

    ASSERT_TRUE(apptest::closeWindowTitled(server.display(), boxTitle));
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << process.readAllStandardError().toStdString();
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_TRUE(QDir(program.dataDir()).isEmpty()) << "a failed start left a per-user file behind";
    stop(process);
}

INSTANTIATE_TEST_SUITE_P(
    ContentFile, ProgramStartFailure,
    ::testing::Values(StartFailureRow{"Missing", std::nullopt},
                      StartFailureRow{"BadNumberField",
                                      QByteArray("abcd32  32  72  104 4   ") + QByteArray(524, ' ') + "\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramProcess, GoodStartShowsTheMainWindowOnTheScreen)
{
    apptest::XvfbServer server;
    if (!server.start())
        GTEST_SKIP() << "Xvfb is not available";
    ProgramCopy program;
    ASSERT_TRUE(program.copied);
    QProcess process;
    program.start(process, QStringLiteral("xcb"), server.display());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return apptest::shownWindowTitles(server.display()).contains(QStringLiteral("VorFJP - 57600")); }, 15000))
        << "windows: " << apptest::shownWindowTitles(server.display()).join(QLatin1Char('|')).toStdString();
    ASSERT_TRUE(apptest::closeWindowTitled(server.display(), QStringLiteral("VorFJP - 57600")));
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_FALSE(QDir(program.configDir()).isEmpty()) << "closing saves the port choice";
}

} // namespace
