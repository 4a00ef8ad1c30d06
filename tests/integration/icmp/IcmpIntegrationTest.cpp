#include "platform/linux/LinuxIcmpEcho.h"
#include "power/Netstatethread.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <iostream>
#include <thread>

namespace {

using platform::IcmpEcho;
using platform::LinuxIcmpEcho;
using Outcome = IcmpEcho::Outcome;
using namespace std::chrono_literals;

constexpr std::uint32_t kLoopback = 0x7F000001;
// TEST-NET-1: never routed, and a namespace with only loopback has no route at all.
constexpr std::uint32_t kUnrouted = 0xC0000201;

bool InNamespace(const char* kind)
{
    return qgetenv("QUORLIN_NETNS") == kind;
}

// Counts the probes the worker makes and passes them on to the real echo.
class CountingIcmp : public IcmpEcho {
public:
    Outcome echo(std::uint32_t ipv4, unsigned timeoutMs, unsigned payloadBytes) override
    {
        ++probes;
        return real_.echo(ipv4, timeoutMs, payloadBytes);
    }
    bool canSend() override { return real_.canSend(); }
    //! Waits until `count` probes have begun; false after `limit`.
    bool WaitForProbes(int count, std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (probes.load() < count && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(50ms); // coarse: this process's CPU time is measured
        return probes.load() >= count;
    }
    std::atomic<int> probes{0};

private:
    LinuxIcmpEcho real_;
};

double CpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

class AnsweringNamespace : public ::testing::TestWithParam<LinuxIcmpEcho::Socket> {
protected:
    void SetUp() override
    {
        if (!InNamespace("answering"))
            GTEST_SKIP() << "needs the answering namespace of run-in-netns.sh";
    }
};

TEST_P(AnsweringNamespace, LoopbackAnswersAndAnAddressWithoutARouteCannotBeSent)
{
    LinuxIcmpEcho icmp(GetParam());
    EXPECT_TRUE(icmp.canSend());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(icmp.echo(kLoopback, NetState::kTimeoutMs, NetState::kPacketSize),
                  Outcome::Reply);
    EXPECT_THROW(icmp.echo(kUnrouted, NetState::kTimeoutMs, NetState::kPacketSize),
                 std::runtime_error);
}

class SilentNamespace : public AnsweringNamespace {
protected:
    void SetUp() override
    {
        if (!InNamespace("silent"))
            GTEST_SKIP() << "needs the silent namespace of run-in-netns.sh";
    }
};

TEST_P(SilentNamespace, UnansweredProbeTimesOutAfterItsLimit)
{
    LinuxIcmpEcho icmp(GetParam());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(icmp.echo(kLoopback, NetState::kTimeoutMs, NetState::kPacketSize), Outcome::TimedOut);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 195ms);
    EXPECT_LT(took, 600ms);
}

INSTANTIATE_TEST_SUITE_P(Sockets, AnsweringNamespace,
                         ::testing::Values(LinuxIcmpEcho::Socket::Ping, LinuxIcmpEcho::Socket::Raw,
                                           LinuxIcmpEcho::Socket::Any));
INSTANTIATE_TEST_SUITE_P(Sockets, SilentNamespace,
                         ::testing::Values(LinuxIcmpEcho::Socket::Ping,
                                           LinuxIcmpEcho::Socket::Raw));

TEST(SilentNamespaceWorker, CountsEveryTimedOutProbe)
{
    if (!InNamespace("silent"))
        GTEST_SKIP();
    CountingIcmp icmp;
    std::atomic<int> failures{0};
    {
        NetState worker(
            icmp, failures, [] { return kLoopback; }, 250ms);
        worker.Start();
        EXPECT_TRUE(icmp.WaitForProbes(5, 10s));
        worker.Stop();
    }
    EXPECT_EQ(failures.load(), icmp.probes.load());
}

// A healthy network: one probe a second, nothing counted, and the thread sleeps between.
TEST(AnsweringNamespaceWorker, HealthyNetworkCostsAlmostNoProcessorTime)
{
    if (!InNamespace("answering"))
        GTEST_SKIP();
    CountingIcmp icmp;
    std::atomic<int> failures{0};
    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    {
        NetState worker(icmp, failures, [] { return kLoopback; });
        worker.Start();
        // The eleventh probe begins ten intervals after the first.
        EXPECT_TRUE(icmp.WaitForProbes(11, 20s));
        worker.Stop();
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu = CpuSeconds() - cpuBefore;
    std::cout << "network worker: " << icmp.probes.load() << " probes in " << wall << " s, "
              << cpu * 1000 << " ms CPU (" << 100 * cpu / wall << " %)" << std::endl;
    RecordProperty("cpu_ms", int(cpu * 1000));
    EXPECT_GE(wall, 10.0);
    EXPECT_EQ(failures.load(), 0);
    EXPECT_LT(cpu / wall, 0.01);
}

// An ordinary user where ping_group_range leaves them out (most containers): no socket of
// either kind. That must read as "cannot send", never as an unanswered probe.
TEST(UnprivilegedNamespace, NoRightToSendIsToldApartFromNoAnswer)
{
    if (!InNamespace("unprivileged"))
        GTEST_SKIP() << "needs the unprivileged namespace of run-in-netns.sh";
    for (auto kind :
         {LinuxIcmpEcho::Socket::Any, LinuxIcmpEcho::Socket::Ping, LinuxIcmpEcho::Socket::Raw}) {
        LinuxIcmpEcho icmp(kind);
        EXPECT_FALSE(icmp.canSend());
        EXPECT_THROW(icmp.echo(kLoopback, NetState::kTimeoutMs, NetState::kPacketSize),
                     IcmpEcho::CannotSend);
    }
    CountingIcmp icmp;
    std::atomic<int> failures{0};
    NetState worker(
        icmp, failures, [] { return kLoopback; }, 20ms);
    worker.Start();
    EXPECT_TRUE(icmp.WaitForProbes(4, 10s));
    worker.Stop();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_TRUE(worker.CannotSend());
}

} // namespace
