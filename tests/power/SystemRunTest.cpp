#include "PowerTestSupport.h"

#include "power/SystemRunShutdown.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

using namespace power_test;

constexpr std::uint32_t kMinute = 60'000;
constexpr std::uint32_t kHour = 60 * kMinute;
constexpr std::uint32_t kDay = 24 * kHour;

void Arm(SystemRunShutdown& rule, const QString& amount, int unit, int mode)
{
    rule.SystemRunTimeEdit->setText(amount);
    rule.SystemRunComboBox->setCurrentIndex(unit);
    rule.SystemRunShutDownComboBox->setCurrentIndex(mode);
    rule.SystemRunCheckBox->setChecked(true);
}

struct Limit {
    const char* amount;
    int unit;
    std::uint32_t uptimeMs;
    bool due;
};

class SystemRunLimit : public ::testing::TestWithParam<Limit> {};

TEST_P(SystemRunLimit, IsDueOnceTheUptimeReachesIt)
{
    const Limit& limit = GetParam();
    TestEnvironment env;
    Arm(*env.Start<Pages::PowerRules>().SystemRunTimes, limit.amount, limit.unit, 1);
    env.systemInfo->uptimeMs = limit.uptimeMs;
    env.Tick();
    EXPECT_EQ(env.power->requests, limit.due ? std::vector<unsigned>{1} : std::vector<unsigned>{});
}

INSTANTIATE_TEST_SUITE_P(Units, SystemRunLimit,
                         ::testing::Values(Limit{"24", 0, 23 * kHour + 59 * kMinute, false},
                                           Limit{"24", 0, 24 * kHour, true},
                                           Limit{"02", 1, 2 * kDay - 1, false},
                                           Limit{"02", 1, 2 * kDay, true},
                                           Limit{"01", 2, 6 * kDay, false},
                                           Limit{"01", 2, 7 * kDay, true},
                                           // 99 weeks is beyond what a 32-bit count can reach.
                                           Limit{"99", 2, 0xFFFFFFFFu, false}));

TEST(SystemRun, StaysDueOnEveryTickUntilTheUptimeWraps)
{
    TestEnvironment env;
    Arm(*env.Start<Pages::PowerRules>().SystemRunTimes, "24", 0, 0);
    env.systemInfo->uptimeMs = 0xFFFFFFFFu - 1500; // 49.7 days
    env.Tick();
    env.Tick();
    EXPECT_EQ(env.power->requests.size(), 2u);
    env.systemInfo->uptimeMs = 500; // wrapped
    env.Tick();
    EXPECT_EQ(env.power->requests.size(), 2u);
}

TEST(SystemRun, ArmingSavesTheSectionInOrderAndDisarmingStopsTheRule)
{
    TestEnvironment env;
    SystemRunShutdown& rule = *env.Start<Pages::PowerRules>().SystemRunTimes;
    Arm(rule, "12", 1, 2);
    EXPECT_TRUE(env.SettingsText().contains("[SystemRunTimes]\r\nSystemRunTime=12\r\n"
                                            "SystemRunTimeSelect=1\r\nSystemRunShutDownMode=2\r\n"
                                            "SystemRunState=1\r\n"));
    rule.SystemRunCheckBox->setChecked(false);
    env.systemInfo->uptimeMs = 20 * kDay;
    env.Tick();
    EXPECT_TRUE(env.power->requests.empty());
}

} // namespace
