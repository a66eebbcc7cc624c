// Sessions and the failed-login limit on a clock the test moves.
#include "web/sessions.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

const QByteArray kGeneration = "first";

using namespace std::chrono_literals;
using std::chrono::milliseconds;

class ClockTest : public ::testing::Test {
protected:
    web::Clock clock = [this] { return now; };
    qint64 now = 5'000'000;
};

using LoginLimiterTest = ClockTest;
using SessionsTest = ClockTest;

const QHostAddress kGuesser(QStringLiteral("192.0.2.10"));
const QHostAddress kOther(QStringLiteral("2001:db8::7"));

TEST_F(LoginLimiterTest, EachFailureWaitsTwiceAsLongUpToTheCapThenTheAddressIsLockedOut)
{
    web::LoginLimiter limiter(web::LoginLimits(), clock);
    // 500 ms, doubled for each failure in the window, at most 8 s; ten failures lock out.
    const qint64 expected[] = {500, 1000, 2000, 4000, 8000, 8000, 8000, 8000, 8000, 8000};
    for (const qint64 delay : expected) {
        EXPECT_EQ(limiter.lockedFor(kGuesser), 0ms);
        EXPECT_EQ(limiter.fail(kGuesser), milliseconds(delay));
        now += 1000;
    }
    EXPECT_EQ(limiter.lockedFor(kGuesser), milliseconds(15min) - 10s);
    EXPECT_EQ(limiter.lockedFor(kOther), 0ms);
}

TEST_F(LoginLimiterTest, TheWindowSlidesOneFailureAtATime)
{
    web::LoginLimits limits;
    limits.maxFailures = 3;
    limits.window = 60s;
    web::LoginLimiter limiter(limits, clock);
    const qint64 start = now;
    for (int i = 0; i < 3; ++i) {
        limiter.fail(kGuesser);
        now += 10'000;
    }
    // Failures at 0, 10 and 20 s: locked until the first leaves the window at 60 s.
    EXPECT_EQ(limiter.lockedFor(kGuesser), milliseconds(start + 60'000 - now));
    now = start + 60'000;
    EXPECT_EQ(limiter.lockedFor(kGuesser), 0ms);
    // Two failures remain in the window: the next waits four times the first delay.
    EXPECT_EQ(limiter.fail(kGuesser), limits.firstDelay * 4);
    EXPECT_EQ(limiter.lockedFor(kGuesser), 10s);
    // A right password forgets them all.
    limiter.succeed(kGuesser);
    EXPECT_EQ(limiter.lockedFor(kGuesser), 0ms);
    EXPECT_EQ(limiter.fail(kGuesser), limits.firstDelay);
}

TEST_F(LoginLimiterTest, RemembersABoundedNumberOfAddresses)
{
    web::LoginLimits limits;
    limits.maxFailures = 1;
    limits.maxAddresses = 2;
    web::LoginLimiter limiter(limits, clock);
    const QHostAddress third(QStringLiteral("192.0.2.30"));
    limiter.fail(kGuesser);
    now += 1;
    limiter.fail(kOther);
    now += 1;
    limiter.fail(third); // the quietest, kGuesser, is forgotten
    EXPECT_EQ(limiter.lockedFor(kGuesser), 0ms);
    EXPECT_GT(limiter.lockedFor(third), 0ms);
}

TEST_F(SessionsTest, ASessionLastsItsLifetimeUnlessClosed)
{
    web::Sessions sessions(1h, clock);
    const QByteArray first = sessions.open(kGeneration);
    const QByteArray second = sessions.open(kGeneration);
    EXPECT_EQ(first.size(), 43);
    EXPECT_NE(first, second);
    EXPECT_TRUE(sessions.isOpen(first, kGeneration));
    EXPECT_FALSE(sessions.isOpen(first.left(42), kGeneration));
    EXPECT_FALSE(sessions.isOpen(QByteArray(), kGeneration));

    sessions.close(second);
    EXPECT_FALSE(sessions.isOpen(second, kGeneration));
    EXPECT_TRUE(sessions.isOpen(first, kGeneration));

    now += milliseconds(1h).count() - 1;
    EXPECT_TRUE(sessions.isOpen(first, kGeneration));
    now += 1;
    EXPECT_FALSE(sessions.isOpen(first, kGeneration));
}

// A session belongs to the password it logged in with: once another is stored, it is over, and
// stays over should the old password come back.
TEST_F(SessionsTest, ASessionEndsWithItsPasswordsGeneration)
{
    web::Sessions sessions(1h, clock);
    const QByteArray id = sessions.open(kGeneration);
    EXPECT_FALSE(sessions.isOpen(id, "newer"));
    EXPECT_FALSE(sessions.isOpen(id, kGeneration));
    EXPECT_FALSE(sessions.isOpen(sessions.open(kGeneration), QByteArray()));
}

TEST_F(SessionsTest, TheOneEndingFirstMakesRoomForANewOne)
{
    web::Sessions sessions(1h, clock, 3);
    QList<QByteArray> ids;
    for (int i = 0; i < 4; ++i) {
        ids << sessions.open(kGeneration);
        now += 1000;
    }
    EXPECT_FALSE(sessions.isOpen(ids[0], kGeneration));
    EXPECT_TRUE(sessions.isOpen(ids[1], kGeneration));
    EXPECT_TRUE(sessions.isOpen(ids[3], kGeneration));
}

} // namespace
