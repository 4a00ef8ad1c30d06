#include "PowerTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace power_test;

TEST(DestineWeekShutdown, FiresInTheSetSecondOfEveryWednesdayAndOnNoOtherDay)
{
    TestEnvironment env;
    DestineWeekShutdown& rule = *env.Start<Pages::PowerRules>().DestineWeeks;
    Arm(rule, "12:00:00", 3, 2);
    EXPECT_FALSE(rule.DestineWeekTimeEdit->isEnabled());
    EXPECT_FALSE(rule.DestineWeeksComboBox->isEnabled());
    EXPECT_FALSE(rule.DestineWeekShutDownComboBox->isEnabled());
    EXPECT_TRUE(env.SettingsText().contains("[DestineWeeks]\r\nDestineWeekTime=12:00:00\r\n"
                                            "DestineWeek=3\r\nDestineWeekShutDownMode=2\r\n"
                                            "DestineWeekState=1\r\n"));

    for (int week = 0; week < 3; ++week) {
        const QDate wednesday = kWednesday.addDays(7 * week);
        TickAt(env, wednesday, QTime(11, 59, 59));
        TickAt(env, wednesday, QTime(12, 0, 0));
        TickAt(env, wednesday, QTime(12, 0, 0, 700)); // a late tick in the same second
        TickAt(env, wednesday, QTime(12, 0, 1));
        for (int other = 1; other < 7; ++other)
            TickAt(env, wednesday.addDays(other), QTime(12, 0, 0));
    }
    EXPECT_EQ(env.power->requests, (std::vector<unsigned>{2, 2, 2}));
    // Armed again inside the second it fired in: one action a second, still.
    TickAt(env, kWednesday.addDays(21), QTime(12, 0, 0));
    rule.DestineWeekCheckBox->setChecked(false);
    rule.DestineWeekCheckBox->setChecked(true);
    TickAt(env, kWednesday.addDays(21), QTime(12, 0, 0, 500));
    EXPECT_EQ(env.power->requests, (std::vector<unsigned>{2, 2, 2, 2}));
    EXPECT_EQ(env.ui.calls.size(), 0u);
}

TEST(DestineWeekShutdown, ARefusedActionShowsItsMessageAndTriesAgainNextWeek)
{
    TestEnvironment env;
    env.power->refused = {0};
    DestineWeekShutdown& rule = *env.Start<Pages::PowerRules>().DestineWeeks;
    Arm(rule, "12:00:00", 3, 0);
    TickAt(env, kWednesday, QTime(12, 0, 0));
    EXPECT_EQ(env.ui.Texts("message"), FailureBox(TickCheck::CheckDestineWeek));
    EXPECT_TRUE(rule.DestineWeekCheckBox->isChecked());
    TickAt(env, kWednesday.addDays(7), QTime(12, 0, 0));
    EXPECT_EQ(env.power->requests, (std::vector<unsigned>{0, 0}));
    EXPECT_EQ(env.ui.Count("message"), 2);
}

// A time that does not parse never matches the clock, and as the start of the restricted
// period it leaves the period empty; neither raises a box on every tick.
TEST(DestineWeekShutdown, ATimeThatDoesNotParseNeverFiresAndRaisesNoBox)
{
    TestEnvironment env;
    FeatureView& form = env.Start<Pages::PowerRules>();
    Arm(*form.DestineWeeks, "25:61:00", 3, 0);
    Arm(*form.ConfineWeekTimes, 0, 6, "25:61:00", "23:00:00", 0);
    TickThrough(env, kWednesday, QTime(10, 0, 1), QTime(23, 59, 59));
    EXPECT_TRUE(env.power->requests.empty());
    EXPECT_EQ(env.ui.calls.size(), 0u);
}

} // namespace
