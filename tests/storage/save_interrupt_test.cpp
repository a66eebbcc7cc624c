// A program killed while it saves the content file (power cut, kill -9) must leave the file as
// one whole save or the other, never a mix of two or a short file, and whatever it leaves behind
// must not stop the next start-up. A probe program saves two contents by turns into one file,
// reporting each finished save, and is killed at random moments spread over its own pace, so the
// kills land inside saves however fast or slow the machine and the build are.
#include "storage/content_file.h"

#include "support/files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <random>
#include <thread>
#include <vector>

namespace {

using testsupport::readFile;

// Runs the probe to its end; true when it saved.
bool runProbe(const QString& mode, const QString& path)
{
    QProcess probe;
    probe.start(QStringLiteral(CONTENT_SAVE_PROBE), {mode, path});
    return probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

// Reads the probe's report lines until there are count of them; false when it stops reporting.
bool readLines(QProcess& probe, QList<QByteArray>& lines, int count)
{
    while (lines.size() < count) {
        if (probe.canReadLine()) {
            lines.append(probe.readLine().trimmed());
            continue;
        }
        if (!probe.waitForReadyRead(30000))
            return false;
    }
    return true;
}

// The probe's own duration of one save: the median gap between its reports.
std::chrono::microseconds measureSaveDuration(const QString& path)
{
    QProcess probe;
    probe.start(QStringLiteral(CONTENT_SAVE_PROBE), {QStringLiteral("loop"), path});
    QList<QByteArray> lines;
    if (!readLines(probe, lines, 1))
        return std::chrono::microseconds(0);
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> gapsUs;
    for (int reported = 1; reported <= 9; ++reported) {
        const qint64 before = clock.nsecsElapsed();
        if (!readLines(probe, lines, reported + 1))
            return std::chrono::microseconds(0);
        if (reported > 1) // the first gap holds the start-up
            gapsUs.push_back((clock.nsecsElapsed() - before) / 1000);
    }
    ::kill(pid_t(probe.processId()), SIGKILL);
    probe.waitForFinished(30000);
    std::sort(gapsUs.begin(), gapsUs.end());
    return std::chrono::microseconds(std::max<qint64>(gapsUs[gapsUs.size() / 2], 1));
}

TEST(SaveInterrupted, FileIsAlwaysOneWholeSaveAndStillLoads)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("VorFjp.ini"));
    const QString reference = dir.filePath(QStringLiteral("b.ref"));
    // Each content once, whole, as the reference for what a finished save leaves.
    ASSERT_TRUE(runProbe(QStringLiteral("b"), reference));
    ASSERT_TRUE(runProbe(QStringLiteral("a"), path));
    const QByteArray a = readFile(path);
    const QByteArray b = readFile(reference);
    ASSERT_FALSE(a.isEmpty());
    ASSERT_NE(a.size(), b.size()) << "a short file could otherwise pass for the other content";
    const std::chrono::microseconds saveDuration = measureSaveDuration(reference);
    ASSERT_GT(saveDuration.count(), 0) << "the probe did not report its saves";
    ASSERT_TRUE(QFile::remove(reference));

    // A probe's saves are numbered from 1: its odd saves write A, its even saves B. Before its
    // first, the file holds what the round before left.
    QByteArray before = a;
    const auto contentOfSave = [&](int save) { return save == 0 ? before : save % 2 == 1 ? a : b; };
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> reportsBeforeKill(0, 3);
    std::uniform_int_distribution<qint64> delayUs(0, saveDuration.count());
    constexpr int kRounds = 40;
    int foundA = 0;
    int foundB = 0;
    for (int round = 0; round < kRounds; ++round) {
        QProcess probe;
        probe.start(QStringLiteral(CONTENT_SAVE_PROBE), {QStringLiteral("loop"), path});
        QList<QByteArray> lines;
        ASSERT_TRUE(readLines(probe, lines, 1 + reportsBeforeKill(random)))
            << "round " << round << ": the probe stopped reporting: " << probe.readAllStandardError().toStdString();
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        ::kill(pid_t(probe.processId()), SIGKILL);
        ASSERT_TRUE(probe.waitForFinished(30000));
        ASSERT_EQ(probe.exitStatus(), QProcess::CrashExit)
            << "round " << round << ": the probe stopped by itself: " << probe.readAllStandardError().toStdString();
        while (probe.canReadLine())
            lines.append(probe.readLine().trimmed());

        // The kill came after the last reported save, and perhaps after the next one had
        // finished but before it was reported.
        const int reported = int(lines.size()) - 1;
        const QByteArray left = readFile(path);
        ASSERT_TRUE(left == contentOfSave(reported) || left == contentOfSave(reported + 1))
            << "round " << round << ": " << left.size() << " bytes after " << reported << " reported saves";
        (left == a ? foundA : foundB) += 1;
        before = left;
    }
    EXPECT_GT(foundA, 0);
    EXPECT_GT(foundB, 0) << "the kills never came after a save of the other content";

    // The temporary files of the saves that were cut short lie beside the file; neither the
    // next start-up nor the next save minds them.
    const storage::DecodeResult loaded = storage::loadContentFile(path);
    ASSERT_TRUE(loaded.content.has_value()) << loaded.error.toStdString();
    const QStringList leftovers =
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("VorFjp.ini."));
    RecordProperty("save_duration_us", int(saveDuration.count()));
    RecordProperty("leftover_temporary_files", int(leftovers.size()));
    ASSERT_TRUE(runProbe(QStringLiteral("b"), path));
    EXPECT_EQ(readFile(path), b);
    EXPECT_TRUE(storage::loadContentFile(path).content.has_value());
}

} // namespace
