#include "scheduler/TickPacer.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <algorithm>
#include <set>

namespace {

LocalMoment At(const QDateTime& t)
{
    return {t.date(), t.time()};
}

using NextTick = std::function<std::optional<qint64>(qint64 second)>;

// Wakes the pacer as a timer would, each wake-up late or early by a jitter from a fixed
// pseudo-random sequence, aimed at `next` (every second when not given), and returns the
// wall-clock second of every tick it gives.
std::vector<qint64> WakeUp(QDateTime clock, int wakes, int jitterMs,
                           const std::function<void(int, QDateTime&)>& step = {},
                           const NextTick& next = {})
{
    TickPacer pacer;
    std::vector<qint64> ticks;
    unsigned seed = 12345;
    for (int i = 0; i < wakes; ++i) {
        if (step)
            step(i, clock);
        const qint64 second = SecondOf(At(clock));
        if (pacer.OnWake(At(clock)))
            ticks.push_back(second);
        seed = seed * 1103515245u + 12345u;
        const int jitter = static_cast<int>((seed >> 16) % (2 * jitterMs + 1)) - jitterMs;
        const int delay =
            TickPacer::DelayTo(At(clock), next ? next(second) : std::optional(second + 1));
        clock = clock.addMSecs(delay + jitter);
    }
    return ticks;
}

TEST(TickPacer, EverySecondGetsExactlyOneTickJustBeforeTheBoundaryAndAcrossClockSets)
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

    // A clock set back or forward is followed at once with no second lost or doubled.
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

TEST(TickPacer, SleepsToTheSecondsThatNeedATickAndNoLongerThanTheLongestSleep)
{
    const QDateTime start(QDate(2026, 12, 9), QTime(10, 0, 0, 300));
    const qint64 base = SecondOf(At(start));
    EXPECT_EQ(TickPacer::DelayTo(At(start), base + 40), 40'000 - 300 + TickPacer::kOffsetMs);
    EXPECT_EQ(TickPacer::DelayTo(At(start), base + 3600), TickPacer::kLongestSleepMs);
    EXPECT_EQ(TickPacer::DelayTo(At(start), std::nullopt), TickPacer::kLongestSleepMs);
    // An answer for a second already passed means the next one, never a wake-up at once.
    EXPECT_EQ(TickPacer::DelayTo(At(start), base - 5), 1000 - 300 + TickPacer::kOffsetMs);

    // Due seconds a few apart, a few minutes apart and hours apart, under jitter: each
    // gets its tick, and the wake-ups between are few.
    const std::set<qint64> due = {base + 2, base + 3, base + 9, base + 301, base + 7300};
    const std::vector<qint64> ticks =
        WakeUp(start, 400, 12, {}, [&](qint64 second) -> std::optional<qint64> {
            const auto it = due.upper_bound(second);
            return it == due.end() ? std::nullopt : std::optional(*it);
        });
    std::set<qint64> ticked(ticks.begin(), ticks.end());
    for (const qint64 d : due)
        EXPECT_TRUE(ticked.count(d)) << "no tick at +" << d - base;
    EXPECT_EQ(ticked.size(), ticks.size()) << "a second ticked twice";
    EXPECT_LT(std::count_if(ticks.begin(), ticks.end(), [&](qint64 t) { return t <= base + 7300; }),
              7300 / 60 + 10);
}

} // namespace
