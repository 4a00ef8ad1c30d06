#include "PowerTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace power_test;

constexpr std::uint32_t kMinute = 60'000;
constexpr std::uint32_t kHour = 60 * kMinute;
constexpr std::uint32_t kDay = 24 * kHour;

TEST(SystemRun, IsDueOnceTheUptimeReachesTheLimitInEachUnit)
{
    struct Limit {
        const char* amount;
        int unit;
        std::uint32_t belowMs, reachedMs; // 0: never reached
    } limits[] = {{"24", 0, 23 * kHour + 59 * kMinute, 24 * kHour},
                  {"02", 1, 2 * kDay - 1, 2 * kDay},
                  {"01", 2, 6 * kDay, 7 * kDay},
                  // 99 weeks is beyond what a 32-bit count can reach.
                  {"99", 2, 0xFFFFFFFFu, 0}};
    for (const Limit& limit : limits) {
        SCOPED_TRACE(testing::Message() << limit.amount << " in unit " << limit.unit);
        TestEnvironment env;
        Arm(*env.Start<Pages::PowerRules>().SystemRunTimes, limit.amount, limit.unit, 1);
        env.systemInfo->uptimeMs = limit.belowMs;
        env.Tick();
        EXPECT_TRUE(env.power->requests.empty());
        if (limit.reachedMs == 0)
            continue;
        env.systemInfo->uptimeMs = limit.reachedMs;
        env.Tick();
        EXPECT_EQ(env.power->requests, std::vector<unsigned>{1});
    }
}

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
