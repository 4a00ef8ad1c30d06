#include "core/OncePerSecond.h"

#include <gtest/gtest.h>

namespace {

LocalMoment At(int day, int h, int m, int s, int ms = 0)
{
    return {QDate(2026, 12, day), QTime(h, m, s, ms)};
}

TEST(OncePerSecond, LetsTheFirstCallOfEachSecondThroughAndAResetOpensItAgain)
{
    OncePerSecond once;
    struct Step {
        LocalMoment at;
        bool through;
    };
    const Step steps[] = {
        {At(9, 12, 0, 0), true}, {At(9, 12, 0, 0, 999), false},
        {At(9, 12, 0, 1), true}, {At(9, 12, 0, 0), true}, // a clock set back is a new occasion
        {At(10, 0, 0, 0), true}, // another day, the same number of seconds short
        {At(9, 1, 0, 0), true},  {At(10, 0, 0, 0), true},
    };
    for (size_t i = 0; i < std::size(steps); ++i)
        EXPECT_EQ(once.First(steps[i].at), steps[i].through) << "step " << i;
    EXPECT_FALSE(once.First(At(10, 0, 0, 0)));
    once.Reset();
    EXPECT_TRUE(once.First(At(10, 0, 0, 0))) << "armed again in the same second";
}

TEST(OncePerSecond, SameSecondNamesOneSecondIgnoringMilliseconds)
{
    const QTime due(7, 30, 15);
    EXPECT_TRUE(SameSecond(due, QTime(7, 30, 15, 999)));
    for (const QTime& other : {QTime(7, 30, 14, 999), QTime(7, 30, 16), QTime(7, 31, 15),
                               QTime(19, 30, 15), QTime(8, 30, 15)})
        EXPECT_FALSE(SameSecond(due, other)) << other.toString().toStdString();
}

} // namespace
