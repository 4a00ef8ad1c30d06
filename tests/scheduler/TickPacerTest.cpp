#include "scheduler/TickPacer.h"

#include <gtest/gtest.h>

#include <QDateTime>

namespace {

LocalMoment At(const QDateTime& t)
{
    return {t.date(), t.time()};
}

// Wakes the pacer as a timer would, each wake-up late or early by a jitter from a fixed
// pseudo-random sequence, and returns the wall-clock second of every tick it gives.
std::vector<qint64> WakeUp(QDateTime clock, int wakes, int jitterMs,
                           const std::function<void(int, QDateTime&)>& step = {})
{
    TickPacer pacer;
    std::vector<qint64> ticks;
    unsigned seed = 12345;
    for (int i = 0; i < wakes; ++i) {
        if (step)
            step(i, clock);
        const TickPacer::Wake wake = pacer.OnWake(At(clock));
        if (wake.tick)
            ticks.push_back(SecondOf(At(clock)));
        seed = seed * 1103515245u + 12345u;
        const int jitter = static_cast<int>((seed >> 16) % (2 * jitterMs + 1)) - jitterMs;
        clock = clock.addMSecs(wake.delayMs + jitter);
    }
    return ticks;
}

TEST(TickPacer, EverySecondGetsExactlyOneTickWhenThePhaseSitsJustBeforeTheBoundary)
{
    // 1 ms before a boundary, where a free-running 1000 ms timer gives some seconds two
    // ticks and some none.
    const std::vector<qint64> ticks =
        WakeUp(QDateTime(QDate(2026, 12, 9), QTime(9, 59, 59, 999)), 5000, 30);
    ASSERT_GT(ticks.size(), 3000u);
    for (size_t i = 1; i < ticks.size(); ++i)
        ASSERT_EQ(ticks[i] - ticks[i - 1], 1) << "tick " << i;
    // A timer off by less than the offset always lands in the next second: no wake wasted.
    EXPECT_EQ(WakeUp(QDateTime(QDate(2026, 12, 9), QTime(9, 59, 59, 999)), 1000, 10).size(), 1000u);
}

TEST(TickPacer, AClockSetBackOrForwardIsFollowedAtOnceWithNoSecondLostOrDoubled)
{
    for (const int jump : {-3600, 3600}) {
        const std::vector<qint64> ticks =
            WakeUp(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0, 999)), 600, 5,
                   [jump](int i, QDateTime& clock) {
                       if (i == 300)
                           clock = clock.addSecs(jump);
                   });
        int jumps = 0;
        for (size_t i = 1; i < ticks.size(); ++i) {
            const qint64 step = ticks[i] - ticks[i - 1];
            if (step == 1)
                continue;
            ++jumps;
            EXPECT_EQ(step, jump + 1) << "jump " << jump;
        }
        EXPECT_EQ(jumps, 1) << "jump " << jump;
    }
}

} // namespace
