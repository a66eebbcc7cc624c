// The programs and the weather module find their libraries where the system keeps them, wherever
// they are started from: a library of the same name in the working directory, beside the
// program or in the prefix's lib folder (a Qt built into /usr/local/lib) is never loaded.
#include "installed_tree.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using installtest::InstalledTree;

// Every library that the programs and the module name directly.
const QStringList kLinkedNames{
    QStringLiteral("libQt6Core.so.6"),    QStringLiteral("libQt6Gui.so.6"),     QStringLiteral("libQt6Widgets.so.6"),
    QStringLiteral("libQt6Network.so.6"), QStringLiteral("libQt6SerialPort.so.6"),
};

bool plantDecoys(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    for (const QString& name : kLinkedNames) {
        if (!QFile::copy(QStringLiteral(VORFJP_DECOY_LIBRARY), folder + u'/' + name))
            return false;
    }
    return true;
}

enum class Tree { Build, Installed };

struct SearchRow {
    const char* name;
    Tree tree;
    QString program; // the build tree's file, or one relative to the installed prefix
    QStringList arguments;
    QString expectedOut;
};

void PrintTo(const SearchRow& row, std::ostream* out)
{
    *out << row.name;
}

class LibrarySearch : public ::testing::TestWithParam<SearchRow> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tree.installed()) << m_tree.log().toStdString();
        ASSERT_TRUE(m_workingDir.isValid());
    }

    InstalledTree m_tree;
    QTemporaryDir m_workingDir;
};

TEST_P(LibrarySearch, NeverTakesALibraryFromTheWorkingDirectoryOrThePrefix)
{
    const SearchRow& row = GetParam();
    QString program = row.program;
    if (row.tree == Tree::Installed) {
        program = m_tree.file(row.program);
        for (const char* folder : {"bin", "lib", "lib/vorfjp/modules"})
            ASSERT_TRUE(plantDecoys(m_tree.file(QLatin1String(folder)))) << folder;
    }
    ASSERT_TRUE(plantDecoys(m_workingDir.path()));

    QProcess process;
    process.setProcessEnvironment(m_tree.environment());
    process.setWorkingDirectory(m_workingDir.path());
    process.start(program, row.arguments);
    ASSERT_TRUE(process.waitForFinished(30000));
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(QString::fromLocal8Bit(process.readAllStandardOutput()).contains(row.expectedOut)) << err.toStdString();
}

const QString kContent = QStringLiteral(VORFJP_SOURCE_DIR "/data/VorFjp.ini");
const QString kVersion = QStringLiteral(VORFJP_VERSION);
// Drawn by the module.
const QString kDotFrame = installtest::kWeatherDotFrameStart;

INSTANTIATE_TEST_SUITE_P(
    Programs, LibrarySearch,
    ::testing::Values(
        SearchRow{"BuildWindow", Tree::Build, QStringLiteral(VORFJP_WINDOW), {QStringLiteral("--version")}, kVersion},
        SearchRow{"BuildSender", Tree::Build, QStringLiteral(VORFJP_SEND), {QStringLiteral("--version")}, kVersion},
        SearchRow{"BuildSenderWeatherModule",
                  Tree::Build,
                  QStringLiteral(VORFJP_SEND),
                  {QStringLiteral("--dry-run"), QStringLiteral("--content"), kContent, QStringLiteral("weather")},
                  kDotFrame},
        SearchRow{"InstalledWindow", Tree::Installed, QStringLiteral("bin/vorfjp"), {QStringLiteral("--version")}, kVersion},
        SearchRow{"InstalledSender", Tree::Installed, QStringLiteral("bin/vorfjp-send"), {QStringLiteral("--version")}, kVersion},
        SearchRow{"InstalledSenderWeatherModule",
                  Tree::Installed,
                  QStringLiteral("bin/vorfjp-send"),
                  {QStringLiteral("--dry-run"), QStringLiteral("weather")},
                  kDotFrame}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
