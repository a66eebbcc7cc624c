// Only a weather run brings in the GUI library, through the drawing module beside the program;
// every other run starts without it, and a sender whose module is gone still sends everything
// else and says what is missing for the weather.
#include "support/send_process.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using clitest::SendProcess;
using clitest::SendRun;

const QString kContent = QStringLiteral(VORFJP_SOURCE_DIR "/data/VorFjp.ini");

struct LoadRow {
    const char* name;
    QStringList arguments;
    bool loadsGui;
};

class LibrariesOfARun : public ::testing::TestWithParam<LoadRow> {};

// The dynamic loader's own account of every object it maps, linked or opened later.
TEST_P(LibrariesOfARun, BringInTheGuiOnlyForTheWeather)
{
    const LoadRow& row = GetParam();
    SendProcess send;
    send.environment().insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    const SendRun run = send.run(row.arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_TRUE(run.err.contains(QStringLiteral("file=libQt6Core.so"))) << "the loader's trace is missing";
    EXPECT_EQ(run.err.contains(QStringLiteral("file=libQt6Gui.so")), row.loadsGui);
    EXPECT_EQ(run.err.contains(QStringLiteral("vorfjp-send-weather")), row.loadsGui);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, LibrariesOfARun,
    ::testing::Values(
        LoadRow{"Time", {QStringLiteral("--dry-run"), QStringLiteral("time")}, false},
        LoadRow{"Test", {QStringLiteral("--dry-run"), QStringLiteral("test")}, false},
        LoadRow{"RoomsAndRates",
                {QStringLiteral("--dry-run"), QStringLiteral("--content"), kContent, QStringLiteral("rooms"),
                 QStringLiteral("rates")},
                false},
        LoadRow{"ListPorts", {QStringLiteral("--list-ports")}, false},
        LoadRow{"Help", {QStringLiteral("--help")}, false},
        LoadRow{"Weather", {QStringLiteral("--dry-run"), QStringLiteral("--content"), kContent, QStringLiteral("weather")},
                true},
        LoadRow{"TimeThenWeather",
                {QStringLiteral("--dry-run"), QStringLiteral("--content"), kContent, QStringLiteral("time"),
                 QStringLiteral("weather")},
                true}),
    [](const auto& info) { return std::string(info.param.name); });

// The sender copied alone into a folder of its own, as a careless install would leave it.
class SenderWithoutItsModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_program = m_dir.filePath(QStringLiteral("vorfjp-send"));
        ASSERT_TRUE(QFile::copy(QStringLiteral(VORFJP_SEND), m_program));
        ASSERT_TRUE(QFile::setPermissions(m_program, QFile::ReadOwner | QFile::ExeOwner));
    }

    SendRun run(const QStringList& arguments)
    {
        SendProcess send;
        send.setProgram(m_program);
        return send.run(arguments);
    }

    QTemporaryDir m_dir;
    QString m_program;
};

TEST_F(SenderWithoutItsModule, StillSendsWhatNeedsNoDrawing)
{
    const SendRun run = this->run({QStringLiteral("--dry-run"), QStringLiteral("--content"), kContent,
                                   QStringLiteral("time"), QStringLiteral("rooms")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(u'\n'), 2) << run.out.toStdString();
}

TEST_F(SenderWithoutItsModule, RefusesTheWeatherNamingWhereItLooked)
{
    const SendRun run = this->run({QStringLiteral("--dry-run"), QStringLiteral("--content"), kContent,
                                   QStringLiteral("weather")});
    EXPECT_EQ(run.exitCode, 69) << "EX_UNAVAILABLE";
    // The temperatures never wait for the drawing, as in the window.
    EXPECT_EQ(run.out.count(QLatin1Char('\n')), 1) << "the temperatures only: " << run.out.toStdString();
    EXPECT_TRUE(run.out.startsWith(QLatin1String("02 00 10 "))) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("Reinstall"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QStringLiteral("the weather text was not"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QDir(m_dir.path()).filePath(QStringLiteral("vorfjp-send-weather"))))
        << run.err.toStdString();
}

} // namespace
