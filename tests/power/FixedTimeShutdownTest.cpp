#include "PowerTestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QMouseEvent>
#include <QTest>

namespace {

using namespace power_test;

TEST(FixedTimeShutdown, ArmedAtTenForNoonFiresOnceAtNoonAndNeverAgainInThatRun)
{
    TestEnvironment env;
    FixedTimeShutdown& rule = *env.Start<Pages::PowerRules>().FixedTimes;
    Arm(rule, "12:00:00", 0, 1);

    EXPECT_FALSE(rule.FixedTimeMaskEdit->isEnabled());
    EXPECT_FALSE(rule.FixedDayComboBox->isEnabled());
    EXPECT_FALSE(rule.FixedShutDownComboBox->isEnabled());
    EXPECT_TRUE(env.SettingsText().contains("[FixedTimes]\r\nFixedTime=12:00:00\r\n"
                                            "FixedDate=2026/12/09\r\nFixedShutDown=1\r\n"
                                            "FixedTimeState=1\r\nFixedDay=0\r\n"));

    TickThrough(env, kWednesday, QTime(11, 59, 50), QTime(11, 59, 59));
    EXPECT_TRUE(env.power->requests.empty());
    TickAt(env, kWednesday, QTime(12, 0, 0));
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{1});
    // A second tick delivered inside the same second, then the days after.
    TickAt(env, kWednesday, QTime(12, 0, 0, 600));
    TickThrough(env, kWednesday, QTime(12, 0, 1), QTime(12, 0, 5));
    for (int day = 1; day <= 8; ++day)
        TickAt(env, kWednesday.addDays(day), QTime(12, 0, 0));
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{1});
    EXPECT_EQ(Stored(env, "FixedTimes", "FixedDate"), "2026/12/09");
    // Armed again in the same run, for later that day: it fires once more.
    env.clock->Set(kWednesday.addDays(8), QTime(12, 0, 1));
    rule.FixedTimeCheckBox->setChecked(false);
    Arm(rule, "12:01:00", 0, 2);
    TickThrough(env, kWednesday.addDays(8), QTime(12, 0, 30), QTime(12, 1, 30));
    EXPECT_EQ(env.power->requests, (std::vector<unsigned>{1, 2}));
    EXPECT_EQ(env.ui.calls.size(), 0u);
}

TEST(FixedTimeShutdown, ArmedAfterItsTimeItDoesNotFireTodayNorLaterInTheRun)
{
    TestEnvironment env;
    env.clock->Set(kWednesday, QTime(13, 0, 0));
    FixedTimeShutdown& rule = *env.Start<Pages::PowerRules>().FixedTimes;
    Arm(rule, "12:00:00", 0, 0);
    TickThrough(env, kWednesday, QTime(13, 0, 1), QTime(23, 59, 59));
    for (int day = 1; day <= 8; ++day)
        TickAt(env, kWednesday.addDays(day), QTime(12, 0, 0));
    EXPECT_TRUE(env.power->requests.empty());
}

TEST(FixedTimeShutdown, AnIntervalCountsFromTheArmingDayAndARestartCountsFromTheStart)
{
    TestEnvironment env;
    FixedTimeShutdown* rule = env.Start<Pages::PowerRules>().FixedTimes;
    Arm(*rule, "12:00:00", 2, 0);
    EXPECT_EQ(rule->FixedDate, "2026/12/11");
    TickAt(env, kWednesday, QTime(12, 0, 0));
    TickAt(env, kWednesday.addDays(1), QTime(12, 0, 0));
    EXPECT_TRUE(env.power->requests.empty());
    TickAt(env, kWednesday.addDays(2), QTime(12, 0, 0));
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{0});
    // The date the next occasion would have been on.
    EXPECT_EQ(Stored(env, "FixedTimes", "FixedDate"), "2026/12/13");

    // A start on the Thursday morning arms it for two days after that start.
    env.Stop();
    env.power->requests.clear();
    env.clock->Set(kWednesday.addDays(1), QTime(8, 0, 0));
    rule = env.Start<Pages::PowerRules>().FixedTimes;
    EXPECT_TRUE(rule->FixedTimeCheckBox->isChecked());
    EXPECT_EQ(rule->FixedDayComboBox->currentIndex(), 2);
    EXPECT_EQ(Stored(env, "FixedTimes", "FixedDate"), "2026/12/12");
    TickAt(env, kWednesday.addDays(2), QTime(12, 0, 0));
    EXPECT_TRUE(env.power->requests.empty());
    TickAt(env, kWednesday.addDays(3), QTime(12, 0, 0));
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{0});
}

// A start before their times on a Wednesday arms both the fixed time and the Wednesday
// rule for that day.
TEST(FixedTimeShutdown, AStartWithTheRulesStoredAsEnabledArmsThemForThatDay)
{
    TestEnvironment env;
    WriteSettings(env, "[FixedTimes]\nFixedTime=12:00:00\nFixedDate=2026/12/01\n"
                       "FixedShutDown=3\nFixedTimeState=1\nFixedDay=0\n"
                       "[DestineWeeks]\nDestineWeekTime=7:05:00\nDestineWeek=3\n"
                       "DestineWeekShutDownMode=4\nDestineWeekState=1\n");
    env.clock->Set(kWednesday, QTime(6, 30, 0));
    FeatureView& form = env.Start<Pages::PowerRules>();
    const FixedTimeShutdown& fixed = *form.FixedTimes;
    EXPECT_TRUE(fixed.FixedTimeCheckBox->isChecked());
    EXPECT_FALSE(fixed.FixedTimeMaskEdit->isEnabled());
    EXPECT_EQ(fixed.FixedShutDownComboBox->currentIndex(), 3);
    EXPECT_EQ(Stored(env, "FixedTimes", "FixedDate"), "2026/12/09");
    const DestineWeekShutdown& week = *form.DestineWeeks;
    EXPECT_TRUE(week.DestineWeekCheckBox->isChecked());
    EXPECT_FALSE(week.DestineWeekTimeEdit->isEnabled());
    EXPECT_EQ(week.DestineWeekShutDownComboBox->currentIndex(), 4);
    TickAt(env, kWednesday, QTime(7, 5, 0));
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{4});
    TickAt(env, kWednesday, QTime(12, 0, 0));
    EXPECT_EQ(env.power->requests, (std::vector<unsigned>{4, 3}));
}

TEST(FixedTimeShutdown, ARefusedActionShowsTheRuleMessageAndTheRuleStaysArmed)
{
    TestEnvironment env;
    env.power->refused = {3};
    FixedTimeShutdown& rule = *env.Start<Pages::PowerRules>().FixedTimes;
    Arm(rule, "12:00:00", 0, 3);
    TickAt(env, kWednesday, QTime(12, 0, 0));
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{3});
    EXPECT_EQ(env.ui.Texts("message"), FailureBox(TickCheck::CheckFixedTime));
    EXPECT_TRUE(rule.FixedTimeCheckBox->isChecked());
    EXPECT_FALSE(rule.FixedTimeMaskEdit->isEnabled());
    EXPECT_EQ(Stored(env, "FixedTimes", "FixedTimeState"), "1");
}

TEST(FixedTimeShutdown, AStoredModeOutsideTheListSelectsNothingAndFailsWhenDue)
{
    TestEnvironment env;
    WriteSettings(env, "[FixedTimes]\nFixedTime=12:00:00\nFixedShutDown=9\nFixedTimeState=1\n");
    FixedTimeShutdown& rule = *env.Start<Pages::PowerRules>().FixedTimes;
    EXPECT_EQ(rule.FixedShutDownComboBox->currentIndex(), -1);
    TickAt(env, kWednesday, QTime(12, 0, 0));
    EXPECT_TRUE(env.power->requests.empty());
    EXPECT_EQ(env.ui.Texts("message"), FailureBox(TickCheck::CheckFixedTime));
}

TEST(FixedTimeShutdown, TheActionIsNotHeldBackByASettingsFileThatCannotBeWritten)
{
    TestEnvironment env;
    FixedTimeShutdown& rule = *env.Start<Pages::PowerRules>().FixedTimes;
    Arm(rule, "12:00:00", 0, 0);
    // A directory where the file was: every later write is refused.
    ASSERT_TRUE(QFile::remove(env.SettingsPath()));
    ASSERT_TRUE(QDir().mkpath(env.SettingsPath()));
    TickAt(env, kWednesday, QTime(12, 0, 0));
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{0});
    ASSERT_EQ(env.ui.Count("error"), 1);
    EXPECT_TRUE(env.ui.Texts("error")[0].startsWith("Unable to write to"));
    EXPECT_EQ(env.ui.Count("message"), 0);
}

struct TimeCase {
    const char* name;
    QString stored; // as found in the settings file; null: typed instead
    QString typed;  // keys typed into the emptied edit
    QTime clock;
    bool fires;
    QString shown = {}; // what the edit shows at start, where it matters
};

class FixedTimeText : public ::testing::TestWithParam<TimeCase> {};

TEST_P(FixedTimeText, MatchesTheClockOnlyForAValidTime)
{
    const TimeCase& c = GetParam();
    TestEnvironment env;
    env.clock->Set(kWednesday, QTime(6, 0, 0));
    if (!c.stored.isNull())
        WriteSettings(env, "[FixedTimes]\nFixedTime=" + c.stored + "\nFixedTimeState=1\n");
    FixedTimeShutdown& rule = *env.Start<Pages::PowerRules>().FixedTimes;
    if (!c.shown.isNull()) {
        EXPECT_EQ(rule.FixedTimeMaskEdit->displayText(), c.shown);
    }
    if (c.stored.isNull()) {
        rule.FixedTimeMaskEdit->selectAll();
        QTest::keyClick(rule.FixedTimeMaskEdit, Qt::Key_Delete);
        rule.FixedTimeMaskEdit->setCursorPosition(0);
        QTest::keyClicks(rule.FixedTimeMaskEdit, c.typed);
        rule.FixedTimeCheckBox->setChecked(true);
    }
    if (c.fires) {
        TickAt(env, kWednesday, c.clock.addSecs(-1));
        EXPECT_TRUE(env.power->requests.empty());
        TickAt(env, kWednesday, c.clock);
        EXPECT_EQ(env.power->requests, std::vector<unsigned>{0});
    } else {
        // Every second of the day: no action and no error box.
        TickThrough(env, kWednesday, QTime(6, 0, 1), QTime(23, 59, 59));
        EXPECT_TRUE(env.power->requests.empty());
    }
    EXPECT_EQ(env.ui.calls.size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Times, FixedTimeText,
    ::testing::Values(
        TimeCase{"OneDigitHourStored", "7:05:00", {}, QTime(7, 5, 0), true, "07:05:00"},
        TimeCase{"TwoDigitHourStored", "07:05:00", {}, QTime(7, 5, 0), true},
        TimeCase{"TypedWithLeadingZero", {}, "070500", QTime(7, 5, 0), true},
        TimeCase{"LastSecondOfTheDay", "23:59:59", {}, QTime(23, 59, 59), true},
        TimeCase{"HourAndMinuteOutOfRange", "25:61:00", {}, {}, false},
        TimeCase{"TypedOutOfRange", {}, "256100", {}, false},
        TimeCase{"EmptiedField", {}, "", {}, false}, TimeCase{"StoredEmpty", "", {}, {}, false}),
    [](const ::testing::TestParamInfo<TimeCase>& info) { return info.param.name; });

TEST(FixedTimeShutdown, HoveringOverEitherBoxShowsWhatIsArmedOrThatNothingIsSet)
{
    TestEnvironment env;
    FeatureView& form = env.Start<Pages::PowerRules>();
    QCheckBox* fixed = form.FixedTimes->FixedTimeCheckBox;
    QCheckBox* week = form.DestineWeeks->DestineWeekCheckBox;
    QEvent enter(QEvent::Enter);
    for (QCheckBox* box : {fixed, week}) {
        QCoreApplication::sendEvent(box, &enter);
        EXPECT_EQ(box->toolTip(), "您没有设置此项功能");
    }

    Arm(*form.FixedTimes, "12:00:00", 1, 0);
    Arm(*form.DestineWeeks, "11:11:00", 3, 0);
    QMouseEvent move(QEvent::MouseMove, QPointF(4, 4), QPointF(4, 4), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(fixed, &move);
    QCoreApplication::sendEvent(week, &move);
    EXPECT_EQ(fixed->toolTip(), "关机日期为: 2026/12/10 12:00:00");
    EXPECT_EQ(week->toolTip(), "关机星期为 :星期三 11:11:00");
}

} // namespace
