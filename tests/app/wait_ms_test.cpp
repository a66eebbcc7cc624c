// The pause of the weather send sequence: the window keeps handling events, the pause lasts
// more than the given time and ends once it is over, and it sleeps in the event loop instead of
// burning the processor. Nothing here reads the processor clock or bounds a time from above:
// the order of timer events and the number of passes of the event loop say the same under any
// load.
#include "app/pub_module.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Counts the passes of the event loop while it lives: a pause that sleeps makes a few, one
// that spins makes hundreds of thousands a second.
class LoopPasses {
public:
    LoopPasses()
    {
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &m_context, [this] { ++m_passes; });
    }
    int count() const { return m_passes; }

private:
    QObject m_context;
    int m_passes = 0;
};

TEST(WaitMs, LastsMoreThanTheGivenTimeHandlesEventsMeanwhileAndEndsWhenItIsOver)
{
    QObject context;
    bool duringThePause = false;
    bool longAfter = false;
    QTimer::singleShot(100, &context, [&] { duringThePause = true; });
    QTimer::singleShot(5000, &context, [&] { longAfter = true; });

    QElapsedTimer clock;
    clock.start();
    PubModule::WaitMs(300);
    EXPECT_GT(clock.elapsed(), 300);
    EXPECT_TRUE(duringThePause) << "a timer due during the pause ran in it";
    EXPECT_FALSE(longAfter) << "the pause went on long past its time";
}

TEST(WaitMs, SleepsInsteadOfSpinning)
{
    QElapsedTimer clock;
    clock.start();
    const LoopPasses passes;
    PubModule::WaitMs(1000);
    EXPECT_GT(clock.elapsed(), 1000);
    EXPECT_LT(passes.count(), 100) << "passes of the event loop in a one-second pause with nothing to do";
}

TEST(WaitMs, NegativeProcessesPendingEventsOnceAndReturns)
{
    QObject context;
    bool ran = false;
    QTimer::singleShot(0, &context, [&] { ran = true; });
    const LoopPasses passes;
    PubModule::WaitMs(-5);
    EXPECT_TRUE(ran);
    EXPECT_EQ(passes.count(), 1);
}

TEST(WaitMs, ZeroWaitsUntilTheClockHasMoved)
{
    QObject context;
    bool ran = false;
    bool longAfter = false;
    QTimer::singleShot(0, &context, [&] { ran = true; });
    QTimer::singleShot(5000, &context, [&] { longAfter = true; });
    QElapsedTimer clock;
    clock.start();
    PubModule::WaitMs(0);
    EXPECT_TRUE(ran);
    EXPECT_GE(clock.elapsed(), 1);
    EXPECT_FALSE(longAfter) << "a pause of no time went on for seconds";
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
