#include "support/TestEnvironment.h"

#include "core/Occurrences.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// A feature's times as a set of wall-clock seconds; counts how often it was asked.
struct Times {
    std::set<qint64> seconds;
    int asked = 0;

    Schedule AsSchedule()
    {
        return {[this](const LocalMoment& after) -> std::optional<Occurrence> {
                    ++asked;
                    const auto it = seconds.lower_bound(SecondOf(after));
                    if (it == seconds.end())
                        return std::nullopt;
                    return Occurrence{Occurrences::MomentAt(*it), "测试", "动作"};
                },
                false};
    }
};

// A host with no feature: the schedules are the test's own.
struct NoFeatures {
    static void Build(FeatureHost&) {}
};

class ScheduleDue : public ::testing::Test {
protected:
    ScheduleDue()
    {
        env.Start<NoFeatures>();
        base = SecondOf(ctx().Now());
    }
    FeatureContext& ctx() { return env.Host().Context(); }
    // The tick's question at wall-clock second `second`, `ms` into it.
    bool DueAt(int id, qint64 second, int ms = 0)
    {
        LocalMoment m = Occurrences::MomentAt(second);
        m.time = m.time.addMSecs(ms);
        return ctx().Due(id, m);
    }

    TestEnvironment env;
    qint64 base = 0;
};

TEST_F(ScheduleDue, FiresOnceInItsSecondCostsNoAnswerUntilThenAndFollowsClockSteps)
{
    Times times{{base + 5, base + 9, base + 20}};
    const int id = ctx().OnSchedule(times.AsSchedule());
    for (qint64 s = base; s < base + 5; ++s)
        EXPECT_FALSE(DueAt(id, s)) << s - base;
    EXPECT_EQ(times.asked, 1) << "asked again before its second";
    EXPECT_TRUE(DueAt(id, base + 5));
    // A second tick in the same second (a box's nested loop) finds nothing due.
    EXPECT_FALSE(DueAt(id, base + 5, 500));
    EXPECT_FALSE(DueAt(id, base + 8));
    EXPECT_TRUE(DueAt(id, base + 9));
    EXPECT_FALSE(DueAt(id, base + 10));
    // Set back: the second comes round again and acts again, as an every-second tick would.
    EXPECT_FALSE(DueAt(id, base + 2));
    EXPECT_TRUE(DueAt(id, base + 5));
    // Set forward over base + 20: that one is gone, a later one is still found.
    times.seconds.insert(base + 40);
    EXPECT_FALSE(DueAt(id, base + 30));
    EXPECT_FALSE(DueAt(id, base + 39));
    EXPECT_TRUE(DueAt(id, base + 40));
}

TEST_F(ScheduleDue, ReplanAsksAgainAndReaimsThePacer)
{
    Times times{{base + 50}};
    const int id = ctx().OnSchedule(times.AsSchedule());
    int reaimed = 0;
    ctx().SetReplanned([&] { ++reaimed; });
    EXPECT_FALSE(DueAt(id, base));
    // The list was edited: without a re-plan the earlier time would be passed by.
    times.seconds = {base + 3};
    ctx().Replan();
    EXPECT_EQ(reaimed, 1);
    EXPECT_EQ(ctx().NextTickSecond(Occurrences::MomentAt(base)), base + 3);
    EXPECT_FALSE(DueAt(id, base + 2));
    EXPECT_TRUE(DueAt(id, base + 3));
    // A box ticked inside the second it acted in re-plans; it must not act twice.
    ctx().Replan();
    EXPECT_FALSE(DueAt(id, base + 3, 600));
    // Disarmed: nothing is due and the pacer has nowhere to aim.
    times.seconds.clear();
    ctx().Replan();
    EXPECT_FALSE(ctx().NextTickSecond(Occurrences::MomentAt(base + 3)));
}

TEST_F(ScheduleDue, ThePacerAimsAtTheEarliestScheduleOrEverySecondWhileAWatchIsActive)
{
    Times late{{base + 600}}, early{{base + 7, base + 700}};
    const int lateId = ctx().OnSchedule(late.AsSchedule());
    const int earlyId = ctx().OnSchedule(early.AsSchedule());
    bool watching = false;
    ctx().OnWatch([&] { return watching; });
    EXPECT_EQ(ctx().NextTickSecond(Occurrences::MomentAt(base)), base + 7);
    watching = true;
    EXPECT_EQ(ctx().NextTickSecond(Occurrences::MomentAt(base)), base + 1);
    watching = false;
    // The planned second passes through Due() and then through the pacer's question.
    EXPECT_TRUE(DueAt(earlyId, base + 7));
    EXPECT_FALSE(DueAt(lateId, base + 7));
    EXPECT_EQ(ctx().NextTickSecond(Occurrences::MomentAt(base + 7)), base + 600);
    // A pacer that woke past a planned second (a resume) aims at what is still ahead.
    EXPECT_EQ(ctx().NextTickSecond(Occurrences::MomentAt(base + 650)), base + 700);
}

} // namespace
