#include "PowerTestSupport.h"

#include "core/Weekdays.h"
#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/PowerWarning.h"
#include "power/PowerWarningForm.h"
#include "power/SystemRunShutdown.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

namespace {

using namespace power_test;

// The fake clock starts on Wednesday 10:00:00.
const QTime kDue(10, 0, 5);

FeatureView& StartWithWarning(TestEnvironment& env)
{
    return env.Start([](FeatureHost& host) {
        Recipes::PowerRules(host);
        host.Add<PowerWarning>();
    });
}

PowerWarning& WarnFor(TestEnvironment& env, const QString& seconds)
{
    PowerWarning& w = env.Feature<PowerWarning>();
    w.WarnSecondsEdit->setText(seconds);
    w.WarnBeforeActionCheckBox->setChecked(true);
    return w;
}

void ArmWeekday(DestineWeekShutdown& rule, const QTime& at, int mode)
{
    rule.DestineWeekTimeEdit->setText(at.toString("HH:mm:ss"));
    rule.DestineWeeksComboBox->setCurrentIndex(WeekdayOf(kWednesday));
    rule.DestineWeekShutDownComboBox->setCurrentIndex(mode);
    rule.DestineWeekCheckBox->setChecked(true);
}

bool Showing(PowerWarning& w)
{
    return w.Form && w.Form->isVisible();
}

void Ticks(TestEnvironment& env, int n)
{
    for (int i = 0; i < n; ++i)
        env.Tick();
}

TEST(PowerWarning, NoAnswerActsOnceAtTheEndActNowAtOnceSkipNotAtAllAndAFailureIsShown)
{
    enum class Answer { None, ActNow, Skip };
    struct Row {
        const char* name;
        Answer answer;
        bool refused;
        int ticksToAction; // after the tick that opened the countdown; -1 never
    };
    for (const Row& row :
         {Row{"no answer", Answer::None, false, 10}, Row{"act now", Answer::ActNow, false, 0},
          Row{"skip", Answer::Skip, false, -1},
          Row{"refused at the end", Answer::None, true, 10}}) {
        TestEnvironment env;
        FeatureView& v = StartWithWarning(env);
        PowerWarning& w = WarnFor(env, "10");
        if (row.refused)
            env.power->refused = {1};
        ArmWeekday(*v.DestineWeeks, kDue, 1);
        TickAt(env, kWednesday, kDue);
        EXPECT_TRUE(env.power->requests.empty()) << row.name;
        ASSERT_TRUE(Showing(w)) << row.name;
        EXPECT_EQ(w.Form->CountdownLabel->text(), "10 秒后将重启") << row.name;
        if (row.answer == Answer::ActNow)
            w.Form->ActNowButton->click();
        if (row.answer == Answer::Skip)
            w.Form->SkipOnceButton->click();
        if (row.ticksToAction > 0) {
            Ticks(env, row.ticksToAction - 1);
            EXPECT_TRUE(env.power->requests.empty()) << row.name;
            EXPECT_EQ(w.Form->CountdownLabel->text(), "1 秒后将重启") << row.name;
            env.Tick();
        }
        Ticks(env, 30);
        const std::vector<unsigned> expected =
            row.ticksToAction < 0 ? std::vector<unsigned>{} : std::vector<unsigned>{1};
        EXPECT_EQ(env.power->requests, expected) << row.name;
        EXPECT_FALSE(Showing(w)) << row.name;
        EXPECT_EQ(env.ui.Texts("message"),
                  row.refused ? QStringList{SchedulerTick::FailureMessage(1)} : QStringList{})
            << row.name;
        EXPECT_TRUE(v.DestineWeeks->DestineWeekCheckBox->isChecked()) << row.name;
    }
}

TEST(PowerWarning, OffByDefaultAndScreenOffIsNeverHeld)
{
    {
        TestEnvironment env;
        FeatureView& v = StartWithWarning(env);
        PowerWarning& w = env.Feature<PowerWarning>();
        EXPECT_FALSE(w.WarnBeforeActionCheckBox->isChecked());
        EXPECT_EQ(w.WarnSecondsEdit->text(), "60");
        ArmWeekday(*v.DestineWeeks, kDue, 0);
        TickAt(env, kWednesday, kDue);
        EXPECT_EQ(env.power->requests, std::vector<unsigned>{0});
        EXPECT_FALSE(Showing(w));
    }
    TestEnvironment env;
    FeatureView& v = StartWithWarning(env);
    PowerWarning& w = WarnFor(env, "60");
    EconomizePowerShutdown& idle = *v.EconomizePowers;
    idle.EconomizePowerMaskEdit->setText("01");
    idle.EconomizePowerShutDownComboBox->setCurrentIndex(5);
    idle.EconomizePowerCheckBox->setChecked(true);
    Ticks(env, 60);
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{5});
    EXPECT_FALSE(Showing(w));
}

TEST(PowerWarning, InputDuringTheIdleRulesCountdownCancelsItAndTheIdleTimeStartsOver)
{
    TestEnvironment env;
    FeatureView& v = StartWithWarning(env);
    PowerWarning& w = WarnFor(env, "30");
    EconomizePowerShutdown& idle = *v.EconomizePowers;
    idle.EconomizePowerMaskEdit->setText("01");
    idle.EconomizePowerShutDownComboBox->setCurrentIndex(3);
    idle.EconomizePowerCheckBox->setChecked(true);
    Ticks(env, 60);
    ASSERT_TRUE(Showing(w));
    Ticks(env, 20);
    env.idleInput->Activity();
    EXPECT_FALSE(Showing(w));
    Ticks(env, 59);
    EXPECT_TRUE(env.power->requests.empty());
    EXPECT_FALSE(Showing(w));
    env.Tick();
    EXPECT_TRUE(Showing(w)); // a full idle minute again
    Ticks(env, 30);
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{3});
}

// What "this occasion" is differs by rule; after 取消本次 each comes again at its next one.
TEST(PowerWarning, ASkippedRuleStaysArmedAndWarnsAgainOnItsNextOccasion)
{
    struct Row {
        const char* name;
        std::function<void(TestEnvironment&, FeatureView&)> arm;
        // Moves to just before the next occasion (no warning there), then onto it.
        std::function<void(TestEnvironment&)> beforeNext, next;
    };
    const Row rows[] = {
        {"weekday: the same second next week",
         [](TestEnvironment&, FeatureView& v) { ArmWeekday(*v.DestineWeeks, kDue, 0); },
         [](TestEnvironment& env) { TickThrough(env, kWednesday, kDue, kDue.addSecs(60)); },
         [](TestEnvironment& env) { TickAt(env, kWednesday.addDays(7), kDue); }},
        {"restricted period: the next stay inside it",
         [](TestEnvironment& env, FeatureView& v) {
             ConfineWeekShutdown& r = *v.ConfineWeekTimes;
             r.ConfineWeekComboBox1->setCurrentIndex(0);
             r.ConfineWeekComboBox2->setCurrentIndex(6);
             r.ConfineTimeMaskEdit1->setText("10:00:05");
             r.ConfineTimeMaskEdit2->setText("10:10:00");
             r.ConfineWeekCheckBox->setChecked(true);
             TickAt(env, kWednesday, QTime(10, 0, 4));
         },
         [](TestEnvironment& env) {
             TickThrough(env, kWednesday, QTime(10, 0, 6), QTime(10, 10, 30));
         },
         [](TestEnvironment& env) { TickAt(env, kWednesday.addDays(1), QTime(10, 0, 5)); }},
        {"run time: the limit counted again from the skip",
         [](TestEnvironment& env, FeatureView& v) {
             SystemRunShutdown& r = *v.SystemRunTimes;
             r.SystemRunTimeEdit->setText("01");
             r.SystemRunComboBox->setCurrentIndex(0);
             r.SystemRunCheckBox->setChecked(true);
             env.systemInfo->uptimeMs = 3'600'000;
         },
         [](TestEnvironment& env) {
             env.systemInfo->uptimeMs += 3'599'000;
             env.Tick();
         },
         [](TestEnvironment& env) {
             env.systemInfo->uptimeMs += 1000;
             env.Tick();
         }},
    };
    for (const Row& row : rows) {
        TestEnvironment env;
        FeatureView& v = StartWithWarning(env);
        PowerWarning& w = WarnFor(env, "10");
        row.arm(env, v);
        TickAt(env, kWednesday, kDue);
        ASSERT_TRUE(Showing(w)) << row.name;
        w.Form->SkipOnceButton->click();
        row.beforeNext(env);
        EXPECT_FALSE(Showing(w)) << row.name;
        row.next(env);
        EXPECT_TRUE(Showing(w)) << row.name;
        EXPECT_TRUE(env.power->requests.empty()) << row.name;
    }
}

TEST(PowerWarning, SecondsOutsideTheRangeAreRefusedAndAHandEditedFileIsClamped)
{
    for (const char* typed : {"0", "", "4", "3601"}) {
        TestEnvironment env;
        StartWithWarning(env);
        PowerWarning& w = WarnFor(env, typed);
        EXPECT_FALSE(w.WarnBeforeActionCheckBox->isChecked()) << typed;
        EXPECT_EQ(env.ui.Texts("message"), QStringList{"提醒时间请输入 5 到 3600 之间的整数秒"})
            << typed;
        EXPECT_EQ(Stored(env, "PowerTasks", "WarnBeforeAction"), "0") << typed;
    }
    for (const auto& [stored, shown] :
         {std::pair{"1", "5"}, {"999999", "3600"}, {"abc", "60"}, {"90", "90"}}) {
        TestEnvironment env;
        WriteSettings(env,
                      QString("[PowerTasks]\nWarnBeforeAction=1\nWarnSeconds=%1\n").arg(stored));
        StartWithWarning(env);
        PowerWarning& w = env.Feature<PowerWarning>();
        EXPECT_TRUE(w.WarnBeforeActionCheckBox->isChecked()) << stored;
        EXPECT_EQ(w.WarnSecondsEdit->text(), shown) << stored;
        EXPECT_EQ(QString::number(w.WarnSeconds), shown) << stored;
    }
}

} // namespace
