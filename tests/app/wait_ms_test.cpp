// The pause of the weather send sequence: the window keeps handling events, the pause lasts
// more than the given time, and it sleeps in the event loop instead of burning the processor.
#include "app/pub_module.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

#include <ctime>
#include <sys/resource.h>

namespace {

qint64 processorMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

TEST(WaitMs, LastsMoreThanTheGivenTimeAndHandlesEventsMeanwhile)
{
    QObject context;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &context, [&] { ++ticks; });
    ticker.start(50);

    QElapsedTimer clock;
    clock.start();
    PubModule::WaitMs(300);
    const qint64 elapsed = clock.elapsed();
    EXPECT_GT(elapsed, 300);
    EXPECT_LT(elapsed, 600);
    EXPECT_GE(ticks, 4) << "timer events ran during the pause";
}

TEST(WaitMs, SleepsInsteadOfSpinning)
{
    const qint64 before = processorMs();
    QElapsedTimer clock;
    clock.start();
    PubModule::WaitMs(1000);
    EXPECT_GT(clock.elapsed(), 1000);
    EXPECT_LT(processorMs() - before, 150) << "processor time spent in a one-second pause";
}

TEST(WaitMs, NegativeProcessesPendingEventsOnceAndReturns)
{
    QObject context;
    bool ran = false;
    QTimer::singleShot(0, &context, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    PubModule::WaitMs(-5);
    EXPECT_TRUE(ran);
    EXPECT_LT(clock.elapsed(), 200);
}

TEST(WaitMs, ZeroWaitsUntilTheClockHasMoved)
{
    QObject context;
    bool ran = false;
    QTimer::singleShot(0, &context, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    PubModule::WaitMs(0);
    EXPECT_TRUE(ran);
    EXPECT_GE(clock.elapsed(), 1);
    EXPECT_LT(clock.elapsed(), 200);
}

TEST(WaitMs, NestedPauseStartedDuringAPauseRunsToItsEndFirst)
{
    QObject context;
    QElapsedTimer clock;
    clock.start();
    qint64 innerEnded = -1;
    QTimer::singleShot(50, &context, [&] {
        PubModule::WaitMs(300);
        innerEnded = clock.elapsed();
    });
    PubModule::WaitMs(100);
    EXPECT_GT(innerEnded, 350);
    EXPECT_GE(clock.elapsed(), innerEnded);
}

} // namespace
