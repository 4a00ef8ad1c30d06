#include "PowerTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace power_test;

TEST(EconomizePower, FiveIdleMinutesFireOnTheThreeHundredthTickAndAMovementStartsAgain)
{
    TestEnvironment env;
    EconomizePowerShutdown& rule = *env.Start<Pages::PowerRules>().EconomizePowers;
    Arm(rule, "05", 0, 3);
    EXPECT_FALSE(env.idleInput->listening()); // the first tick starts listening
    Ticks(env, 299);
    EXPECT_TRUE(env.idleInput->listening());
    EXPECT_TRUE(env.power->requests.empty());
    env.idleInput->Activity(); // one movement at tick 299
    Ticks(env, 299);
    EXPECT_TRUE(env.power->requests.empty());
    env.Tick();
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{3});
    // Listening stops at firing and the count starts from 0.
    EXPECT_FALSE(env.idleInput->listening());
    EXPECT_EQ(rule.IdleCounter, 0);
}

TEST(EconomizePower, HoursAndDaysAreCountedInFull)
{
    for (const auto& [amount, unit, seconds] : {std::tuple{"02", 1, 2 * 3600}, {"01", 2, 86400}}) {
        TestEnvironment env;
        EconomizePowerShutdown& rule = *env.Start<Pages::PowerRules>().EconomizePowers;
        Arm(rule, amount, unit, 0);
        rule.IdleCounter = seconds - 2;
        env.Tick();
        EXPECT_TRUE(env.power->requests.empty()) << "unit " << unit;
        env.Tick();
        EXPECT_EQ(env.power->requests, std::vector<unsigned>{0}) << "unit " << unit;
    }
}

TEST(EconomizePower, ScreenOffComesAgainAfterEveryFullIdlePeriod)
{
    TestEnvironment env;
    Arm(*env.Start<Pages::PowerRules>().EconomizePowers, "01", 0, 5);
    Ticks(env, 60 * 3);
    EXPECT_EQ(env.power->requests, std::vector<unsigned>(3, 5));
    EXPECT_EQ(env.idleInput->starts, 3);
}

TEST(EconomizePower, WithoutAnIdleSignalNothingIsCountedUntilOneAppears)
{
    TestEnvironment env;
    EconomizePowerShutdown& rule = *env.Start<Pages::PowerRules>().EconomizePowers;
    Arm(rule, "01", 0, 0);
    env.idleInput->refuse = true; // the signal went away after arming
    Ticks(env, 120);
    EXPECT_TRUE(env.power->requests.empty());
    EXPECT_EQ(rule.IdleCounter, 0);
    env.idleInput->refuse = false;
    Ticks(env, 60);
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{0});
}

TEST(EconomizePower, DisarmingAndClosingStopListening)
{
    TestEnvironment env;
    EconomizePowerShutdown& rule = *env.Start<Pages::PowerRules>().EconomizePowers;
    Arm(rule, "10", 1, 1);
    env.Tick();
    ASSERT_TRUE(env.idleInput->listening());
    rule.EconomizePowerCheckBox->setChecked(false);
    EXPECT_FALSE(env.idleInput->listening());

    rule.EconomizePowerCheckBox->setChecked(true);
    env.Tick();
    ASSERT_TRUE(env.idleInput->listening());
    env.Stop();
    EXPECT_FALSE(env.idleInput->listening());
}

TEST(EconomizePower, ScreenOffIsRefusedWhereTheDesktopCannotTurnTheScreenOff)
{
    TestEnvironment env;
    env.power->missing = {5};
    EconomizePowerShutdown& rule = *env.Start<Pages::PowerRules>().EconomizePowers;
    Arm(rule, "01", 0, 5);
    EXPECT_FALSE(rule.EconomizePowerCheckBox->isChecked());
    EXPECT_TRUE(rule.EconomizePowerMaskEdit->isEnabled());
    EXPECT_EQ(env.ui.Texts("message"), QStringList{EconomizePowerShutdown::kNoScreenOff});
    EXPECT_EQ(Stored(env, "EconomizePowers", "EconomizePowerState"), "0");
    Ticks(env, 120);
    EXPECT_TRUE(env.power->requests.empty());
    EXPECT_FALSE(env.idleInput->listening());

    // Any other action still arms there.
    Arm(rule, "01", 0, 4);
    EXPECT_TRUE(rule.EconomizePowerCheckBox->isChecked());
    EXPECT_EQ(env.ui.Count("message"), 1);
}

TEST(EconomizePower, AStoredScreenOffRuleIsDisarmedAtStartWhereItCannotAct)
{
    TestEnvironment env;
    WriteSettings(env, "[EconomizePowers]\nEconomizePowerTime=01\nEconomizePowerTimeSelect=0\n"
                       "EconomizePowerShutDownMode=5\nEconomizePowerState=1\n");
    env.power->missing = {5};
    EconomizePowerShutdown& rule = *env.Start<Pages::PowerRules>().EconomizePowers;
    EXPECT_FALSE(rule.EconomizePowerCheckBox->isChecked());
    EXPECT_EQ(env.ui.Texts("message"), QStringList{EconomizePowerShutdown::kNoScreenOff});
    // The user's choice of action stays, for a desktop that can carry it out.
    EXPECT_EQ(rule.EconomizePowerShutDownComboBox->currentIndex(), 5);
    EXPECT_EQ(Stored(env, "EconomizePowers", "EconomizePowerShutDownMode"), "5");
}

TEST(EconomizePower, ADesktopThatCannotTellInputRefusesTheRuleAndDisarmsAStoredOne)
{
    TestEnvironment env;
    env.idleInput->refuse = true;
    WriteSettings(env, "[EconomizePowers]\nEconomizePowerTime=01\nEconomizePowerTimeSelect=0\n"
                       "EconomizePowerShutDownMode=4\nEconomizePowerState=1\n");
    EconomizePowerShutdown& rule = *env.Start<Pages::PowerRules>().EconomizePowers;
    EXPECT_FALSE(rule.EconomizePowerCheckBox->isChecked());
    EXPECT_TRUE(rule.EconomizePowerMaskEdit->isEnabled());
    EXPECT_EQ(env.ui.Texts("message"), QStringList{EconomizePowerShutdown::NoIdleSourceText()});
    EXPECT_EQ(Stored(env, "EconomizePowers", "EconomizePowerState"), "0");
    Ticks(env, 120);
    EXPECT_TRUE(env.power->requests.empty());

    Arm(rule, "01", 0, 4);
    EXPECT_FALSE(rule.EconomizePowerCheckBox->isChecked());
    EXPECT_EQ(env.ui.Texts("message").size(), 2);
}

} // namespace
