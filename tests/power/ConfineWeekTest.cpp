#include "PowerTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace power_test;

// Days of the week around the fake clock's Wednesday 2026-12-09.
const QDate kSunday = kWednesday.addDays(-3);
const QDate kMonday = kWednesday.addDays(-2);
const QDate kTuesday = kWednesday.addDays(-1);
const QDate kFriday = kWednesday.addDays(2);
const QDate kSaturday = kWednesday.addDays(3);

struct Moment {
    QDate date;
    QTime time;
    bool inside;
};

void ExpectPeriod(TestEnvironment& env, const std::vector<Moment>& moments, unsigned mode)
{
    for (const Moment& m : moments) {
        env.power->requests.clear();
        TickAt(env, m.date, m.time);
        EXPECT_EQ(env.power->requests, m.inside ? std::vector{mode} : std::vector<unsigned>{})
            << m.date.toString(Qt::ISODate).toStdString() << ' '
            << m.time.toString("HH:mm:ss.zzz").toStdString();
    }
}

TEST(ConfineWeek, MondayToFridayBeforeElevenAtNightAndRangesGivenBackwardsDoNotWrap)
{
    TestEnvironment env;
    ConfineWeekShutdown& rule = *env.Start<Pages::PowerRules>().ConfineWeekTimes;
    Arm(rule, 1, 5, "00:00:00", "23:00:00", 0);
    ExpectPeriod(env,
                 {{kTuesday, QTime(10, 0), true},
                  {kSaturday, QTime(10, 0), false},
                  {kSunday, QTime(10, 0), false},
                  {kMonday, QTime(0, 0, 0, 0), true},
                  {kFriday, QTime(23, 0, 0, 0), true},
                  // The clock's fractions count against an end given in whole seconds.
                  {kFriday, QTime(23, 0, 0, 500), false},
                  {kFriday, QTime(23, 30), false}},
                 0);
    EXPECT_EQ(env.ui.calls.size(), 0u);

    // 星期五..星期一 is Monday to Friday; 22:00..06:00 is the day between them.
    rule.ConfineWeekCheckBox->setChecked(false);
    Arm(rule, 5, 1, "22:00:00", "06:00:00", 1);
    ExpectPeriod(env,
                 {{kTuesday, QTime(12, 0), true},
                  {kTuesday, QTime(23, 0), false},
                  {kTuesday, QTime(5, 59, 59), false},
                  {kTuesday, QTime(6, 0, 0), true},
                  {kFriday, QTime(22, 0, 0), true},
                  {kSaturday, QTime(12, 0), false},
                  {kSunday, QTime(12, 0), false}},
                 1);
}

TEST(ConfineWeek, RequestsTheActionOnEveryTickInsideThePeriod)
{
    TestEnvironment env;
    Arm(*env.Start<Pages::PowerRules>().ConfineWeekTimes, 3, 3, "09:00:00", "09:00:05", 2);
    TickThrough(env, kWednesday, QTime(8, 59, 58), QTime(9, 0, 7));
    // Stand-by returns on waking; a machine woken inside the period sleeps again.
    EXPECT_EQ(env.power->requests, std::vector<unsigned>(6, 2));
}

TEST(ConfineWeek, AStartInsideAStoredPeriodActsOnTheFirstTick)
{
    TestEnvironment env;
    WriteSettings(env, "[ConfineWeekTimes]\nConfineWeekUp=1\nConfineWeekDown=5\n"
                       "ConfineTimeUp=00:00:00\nConfienTimeDown=23:00:00\n"
                       "ConfineWeekShutDownMode=4\nConfineWeekState=1\n");
    env.clock->Set(kTuesday, QTime(10, 0));
    ConfineWeekShutdown& rule = *env.Start<Pages::PowerRules>().ConfineWeekTimes;
    EXPECT_TRUE(rule.ConfineWeekCheckBox->isChecked());
    EXPECT_FALSE(rule.ConfineTimeMaskEdit2->isEnabled());
    env.Tick();
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{4});
}

TEST(ConfineWeek, ArmingSavesTheSectionInOrderAndLocksTheInputs)
{
    TestEnvironment env;
    ConfineWeekShutdown& rule = *env.Start<Pages::PowerRules>().ConfineWeekTimes;
    Arm(rule, 1, 5, "08:30:00", "17:00:00", 3);
    EXPECT_TRUE(env.SettingsText().contains(
        "[ConfineWeekTimes]\r\nConfineWeekUp=1\r\nConfineWeekDown=5\r\nConfineTimeUp=08:30:00\r\n"
        "ConfienTimeDown=17:00:00\r\nConfineWeekShutDownMode=3\r\nConfineWeekState=1\r\n"));
    for (QWidget* input : {(QWidget*)rule.ConfineWeekComboBox1, (QWidget*)rule.ConfineWeekComboBox2,
                           (QWidget*)rule.ConfineTimeMaskEdit1, (QWidget*)rule.ConfineTimeMaskEdit2,
                           (QWidget*)rule.ConfineWeekShutDownComboBox})
        EXPECT_FALSE(input->isEnabled()) << input->objectName().toStdString();
}

} // namespace
