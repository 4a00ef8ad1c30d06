#include "PowerTestSupport.h"

#include "power/Netstatethread.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace power_test;
using namespace std::chrono_literals;
using Answer = FakeIcmpEcho::Answer;

// The worker on its own, with a short pacing so that tests run quickly.
class Worker : public ::testing::Test {
protected:
    std::unique_ptr<NetState> Make(std::chrono::milliseconds interval = 2ms)
    {
        return std::make_unique<NetState>(
            icmp, failures, [] { return 0x7F000001u; }, interval);
    }
    FakeIcmpEcho icmp;
    std::atomic<int> failures{0};
};

TEST_F(Worker, ProbesArePacedNotBackToBack)
{
    auto worker = Make(100ms);
    worker->Start();
    ASSERT_TRUE(icmp.WaitForStarts(5));
    worker->Stop();
    // Answers come back at once; still each probe begins a full interval after the last.
    const auto starts = icmp.Starts();
    for (std::size_t i = 1; i < starts.size(); ++i)
        EXPECT_GE(starts[i] - starts[i - 1], 100ms) << "probe " << i;
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(icmp.lastAddress.load(), 0x7F000001u);
    EXPECT_EQ(icmp.lastTimeoutMs.load(), 200u);
    EXPECT_EQ(icmp.lastPayload.load(), 32u);
}

TEST_F(Worker, TimeOutsAndErrorsCountAndAnyAnswerResets)
{
    auto worker = Make();
    for (Answer failing : {Answer::TimedOut, Answer::Error}) {
        for (Answer answering : {Answer::Reply, Answer::Other}) {
            icmp.answer = failing;
            worker->Start();
            ASSERT_TRUE(icmp.WaitForProbes(icmp.probes + 21));
            EXPECT_GE(failures.load(), 20);
            // A single answer during the outage sets the count back to 0.
            icmp.answer = answering;
            ASSERT_TRUE(icmp.WaitForProbes(icmp.probes + 2));
            worker->Stop();
            EXPECT_EQ(failures.load(), 0);
        }
    }
}

TEST_F(Worker, ARequestWithoutANetworkCountsAfterItsPause)
{
    icmp.answer = Answer::Raise;
    auto worker = Make(300ms);
    worker->Start();
    ASSERT_TRUE(FakeIcmpEcho::WaitUntil([&] { return failures.load() == 1; }));
    const auto counted = FakeIcmpEcho::Clock::now();
    worker->Stop();
    EXPECT_GE(counted - icmp.Starts().front(), 300ms);
    EXPECT_FALSE(worker->CannotSend());
}

// No right to send says nothing about the network: nothing counts, the flag says why, and
// the first request that leaves again lowers it.
TEST_F(Worker, ARequestThatMayNotBeSentCountsNothingAndRaisesTheFlag)
{
    failures = 7;
    icmp.answer = Answer::Refuse;
    auto worker = Make();
    worker->Start();
    ASSERT_TRUE(icmp.WaitForProbes(20));
    EXPECT_TRUE(worker->CannotSend());
    EXPECT_EQ(failures.load(), 7);
    icmp.answer = Answer::TimedOut;
    ASSERT_TRUE(FakeIcmpEcho::WaitUntil([&] { return failures.load() > 7; }));
    EXPECT_FALSE(worker->CannotSend());
    worker->Stop();
}

TEST_F(Worker, StopWaitsForTheProbeUnderWayButNotForThePause)
{
    icmp.delayMs = 150;
    auto worker = Make(5s);
    worker->Start();
    ASSERT_TRUE(icmp.WaitForStarts(1));
    worker->Stop();
    const auto stopped = FakeIcmpEcho::Clock::now();
    EXPECT_EQ(icmp.probes.load(), 1); // it finished
    EXPECT_GE(stopped - icmp.Starts().front(), 150ms);
    EXPECT_LT(stopped - icmp.Starts().front(), 4s); // the long pause after it was cut short
    EXPECT_FALSE(worker->Running());
}

void Arm(NetStateShutdown& rule, const QString& amount, int unit, int mode)
{
    rule.ProbeInterval = 1ms;
    rule.NetStateMaskEdit->setText(amount);
    rule.NetStateComboBox->setCurrentIndex(unit);
    rule.NetStateShutDownComboBox->setCurrentIndex(mode);
    rule.NetStateCheckBox->setChecked(true);
}

TEST(NetStateMode, SixtyFailedProbesFireOneMinuteAndTheCountStartsAgain)
{
    TestEnvironment env;
    env.icmp->answer = Answer::TimedOut;
    NetStateShutdown& rule = *env.Start<Pages::PowerRules>().NetStates;
    Arm(rule, "01", 0, 1);
    ASSERT_TRUE(rule.Worker && rule.Worker->Running());
    // The probe host of a test is loopback.
    ASSERT_TRUE(env.icmp->WaitForProbes(1));
    EXPECT_EQ(env.icmp->lastAddress.load(), 0x7F000001u);
    env.icmp->delayMs = 1;
    ASSERT_TRUE(env.icmp->WaitForProbes(30));
    env.Tick();
    EXPECT_TRUE(env.power->requests.empty());
    ASSERT_TRUE(env.icmp->WaitForProbes(70));
    env.Tick();
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{1});
    EXPECT_LT(rule.NetStateFailures.load(), 60);
    rule.NetStateCheckBox->setChecked(false);
}

// A user without the right to send probes (most containers): an unsent probe is no outage.
TEST(NetStateMode, ProbesThatCannotBeSentRefuseArmingOrPauseTheCountWithOneBalloon)
{
    TestEnvironment env;
    env.icmp->sendable = false;
    NetStateShutdown& rule = *env.Start<Pages::PowerRules>().NetStates;
    Arm(rule, "01", 0, 0);
    EXPECT_FALSE(rule.NetStateCheckBox->isChecked());
    EXPECT_EQ(rule.Worker, nullptr);
    EXPECT_EQ(env.ui.Texts("message"),
              QStringList{"本程序没有发送网络探测的权限,不能启用智能网络模式"});

    // The right goes away while armed.
    env.icmp->sendable = true;
    env.icmp->answer = Answer::Refuse;
    Arm(rule, "01", 0, 0);
    ASSERT_TRUE(env.icmp->WaitForProbes(100));
    Ticks(env, 3);
    EXPECT_TRUE(env.power->requests.empty());
    EXPECT_EQ(rule.NetStateFailures.load(), 0);
    EXPECT_EQ(env.ui.Texts("balloon"), QStringList{"无法发送网络探测,智能网络模式暂停计数"});
}

TEST(NetStateMode, ArmingSavesTheSectionInOrderAndDisarmingStopsTheWorker)
{
    TestEnvironment env;
    NetStateShutdown& rule = *env.Start<Pages::PowerRules>().NetStates;
    Arm(rule, "30", 1, 4);
    EXPECT_TRUE(
        env.SettingsText().contains("[NetStates]\r\nNetStateTime=30\r\nNetStateTimeSelect=1\r\n"
                                    "NetStateShutDown=4\r\nNetState=1\r\n"));
    EXPECT_FALSE(rule.NetStateMaskEdit->isEnabled());
    ASSERT_TRUE(env.icmp->WaitForProbes(5));
    rule.NetStateCheckBox->setChecked(false);
    EXPECT_EQ(rule.Worker, nullptr);
    const int probes = env.icmp->probes;
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(env.icmp->probes.load(), probes);
}

TEST(NetStateMode, AStoredModeStartsItsWorkerAndClosingEndsIt)
{
    TestEnvironment env;
    WriteSettings(env, "[NetStates]\nNetStateTime=05\nNetStateTimeSelect=0\nNetStateShutDown=0\n"
                       "NetState=1\n");
    NetStateShutdown& rule = *env.Start<Pages::PowerRules>().NetStates;
    EXPECT_TRUE(rule.NetStateCheckBox->isChecked());
    ASSERT_TRUE(env.icmp->WaitForProbes(1));
    env.Stop();
    const int probes = env.icmp->probes;
    std::this_thread::sleep_for(1100ms);
    EXPECT_EQ(env.icmp->probes.load(), probes);
}

// The count is the test's to set: one failed send, then a pause longer than the test.
TEST(NetStateMode, AnHourIsSixtyMinutesAndAFailingActionIsReportedWithTheCountAlreadyReset)
{
    struct Row {
        const char* name;
        int unit, mode;
        bool refused;
        int below, due;
    } rows[] = {{"an hour is sixty minutes", 1, 2, false, 3000, 3600},
                {"a refused action", 0, 3, true, 59, 60}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestEnvironment env;
        if (row.refused)
            env.power->refused = {unsigned(row.mode)};
        env.icmp->answer = Answer::Raise;
        NetStateShutdown& rule = *env.Start<Pages::PowerRules>().NetStates;
        Arm(rule, "01", row.unit, row.mode);
        rule.NetStateCheckBox->setChecked(false);
        rule.ProbeInterval = 1h;
        rule.NetStateCheckBox->setChecked(true);
        rule.NetStateFailures = row.below;
        env.Tick();
        EXPECT_TRUE(env.power->requests.empty());
        rule.NetStateFailures = row.due;
        env.Tick();
        EXPECT_EQ(env.power->requests, std::vector<unsigned>{unsigned(row.mode)});
        EXPECT_EQ(rule.NetStateFailures.load(), 0);
        EXPECT_EQ(env.ui.Texts("message"),
                  row.refused ? FailureBox(TickCheck::CheckNetState) : QStringList{});
        rule.NetStateCheckBox->setChecked(false);
    }
}

} // namespace
