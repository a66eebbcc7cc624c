// A program killed while it saves the content file (power cut, kill -9) must leave the file as
// one whole save or the other, never a mix of two or a short file, and whatever it leaves behind
// must not stop the next start-up. A probe program saves two contents by turns into one file
// and is killed at random moments.
#include "storage/content_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs the probe to its end; true when it saved.
bool runProbe(const QString& mode, const QString& path)
{
    QProcess probe;
    probe.start(QStringLiteral(CONTENT_SAVE_PROBE), {mode, path});
    return probe.waitForFinished(10000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

TEST(SaveInterrupted, FileIsAlwaysOneWholeSaveAndStillLoads)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    // Each content once, whole, as the reference for what a finished save leaves.
    ASSERT_TRUE(runProbe(QStringLiteral("b"), dir.filePath(QStringLiteral("b.ref"))));
    ASSERT_TRUE(runProbe(QStringLiteral("a"), path));
    const QByteArray a = readAll(path);
    const QByteArray b = readAll(dir.filePath(QStringLiteral("b.ref")));
    ASSERT_FALSE(a.isEmpty());
    ASSERT_NE(a.size(), b.size()) << "a short file could otherwise pass for the other content";
    ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("b.ref"))));

    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delayUs(0, 4000);
    constexpr int kMaxRounds = 300;
    constexpr qint64 kBudgetMs = 4000;
    QElapsedTimer budget;
    budget.start();
    int rounds = 0;
    int foundA = 0;
    int foundB = 0;
    for (; rounds < kMaxRounds && budget.elapsed() < kBudgetMs; ++rounds) {
        QProcess probe;
        probe.start(QStringLiteral(CONTENT_SAVE_PROBE), {QStringLiteral("loop"), path});
        ASSERT_TRUE(probe.waitForReadyRead(5000)) << "round " << rounds << ": the probe did not start";
        // The kill lands anywhere in the saves, also before the first one is done.
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ASSERT_EQ(probe.state(), QProcess::Running)
            << "round " << rounds << ": the probe stopped by itself: " << probe.readAllStandardError().toStdString();
        ::kill(pid_t(probe.processId()), SIGKILL);
        ASSERT_TRUE(probe.waitForFinished(5000));

        const QByteArray left = readAll(path);
        ASSERT_TRUE(left == a || left == b) << "round " << rounds << ": " << left.size() << " bytes, neither save";
        (left == a ? foundA : foundB) += 1;
    }
    EXPECT_GE(rounds, 50) << "too few rounds in the time budget to mean anything";
    EXPECT_GT(foundA, 0);
    EXPECT_GT(foundB, 0) << "the kills never came after a save of the other content";

    // The temporary files of the saves that were cut short lie beside the file; neither the
    // next start-up nor the next save minds them.
    const storage::DecodeResult loaded = storage::loadContentFile(path);
    ASSERT_TRUE(loaded.content.has_value()) << loaded.error.toStdString();
    const QStringList leftovers =
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("VorFjp.ini."));
    RecordProperty("rounds", rounds);
    RecordProperty("leftover_temporary_files", int(leftovers.size()));
    ASSERT_TRUE(runProbe(QStringLiteral("b"), path));
    EXPECT_EQ(readAll(path), b);
    EXPECT_TRUE(storage::loadContentFile(path).content.has_value());
}

} // namespace
