#include "PlatformUnderTest.h"
#include "TempDir.h"

#ifdef _WIN32
#include "platform/windows/WinIdleInput.h"
// clang-format off
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
// clang-format on
#else
#include <fstream>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// Milliseconds since boot as the system itself reports them.
std::uint64_t bootUptimeMs()
{
#ifdef _WIN32
    return GetTickCount64();
#else
    std::ifstream in("/proc/uptime");
    double seconds = 0;
    in >> seconds;
    return std::uint64_t(seconds * 1000);
#endif
}

TEST(SystemInfo, TickCountIsTheUptimeCutToThirtyTwoBitsInMilliseconds)
{
    under_test::SystemInfo info;
    const std::uint32_t ticks = info.tickCount();
    const std::uint32_t expected = static_cast<std::uint32_t>(bootUptimeMs());
    // Unsigned difference: right across the wrap as well.
    const std::uint32_t apart = ticks - expected;
    EXPECT_TRUE(apart < 2000u || apart > 0xFFFFFFFFu - 2000u) << ticks << " vs " << expected;

    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    const std::uint32_t elapsed = info.tickCount() - ticks;
    EXPECT_GE(elapsed, 100u);
    EXPECT_LT(elapsed, 2000u);
}

TEST(SystemInfo, DiskSpaceOfAFolderAndOfNothing)
{
    TempDir dir;
    under_test::SystemInfo info;
    const auto space = info.diskSpace(dir.path().u16string());
    ASSERT_TRUE(space.has_value());
    EXPECT_GT(space->total, 0u);
    EXPECT_LE(space->free, space->total);
    EXPECT_LE(space->freeToCaller, space->free);
    EXPECT_FALSE(info.diskSpace((dir.path() / "missing" / "deeper").u16string()).has_value());
    EXPECT_FALSE(info.diskSpace(u"").has_value());
}

TEST(SystemInfo, MemoryFiguresAreConsistent)
{
    const platform::MemoryStatus m = under_test::SystemInfo().memory();
    EXPECT_GT(m.totalPhysical, 64ull << 20);
    EXPECT_LE(m.availablePhysical, m.totalPhysical);
    EXPECT_LE(m.loadPercent, 100u);
}

#ifdef _WIN32
// Which hook messages count as use of the machine.
TEST(WinIdleInput, KeyDownsAndMovementCountButNotReleasesClicksOrTheWheel)
{
    using platform::WinIdleInput;
    EXPECT_TRUE(WinIdleInput::IsKeyActivity(WM_KEYDOWN));
    EXPECT_TRUE(WinIdleInput::IsKeyActivity(WM_SYSKEYDOWN));
    EXPECT_FALSE(WinIdleInput::IsKeyActivity(WM_KEYUP));
    EXPECT_FALSE(WinIdleInput::IsKeyActivity(WM_SYSKEYUP));
    EXPECT_TRUE(WinIdleInput::IsMouseActivity(WM_MOUSEMOVE));
    for (unsigned m : {unsigned(WM_LBUTTONDOWN), unsigned(WM_LBUTTONUP), unsigned(WM_RBUTTONDOWN),
                       unsigned(WM_MBUTTONDOWN), unsigned(WM_MOUSEWHEEL), unsigned(WM_MOUSEHWHEEL)})
        EXPECT_FALSE(WinIdleInput::IsMouseActivity(m)) << m;
}

TEST(WinIdleInput, HooksInstallAndComeOff)
{
    platform::WinIdleInput idle;
    ASSERT_TRUE(idle.start([] {}));
    EXPECT_TRUE(idle.listening());
    idle.stop();
    EXPECT_FALSE(idle.listening());
    ASSERT_TRUE(idle.start([] {}));
}

TEST(WinIcmpEcho, StatusCodesReadAsTheirOutcome)
{
    using O = platform::IcmpEcho::Outcome;
    using platform::WinIcmpEcho;
    EXPECT_EQ(WinIcmpEcho::OutcomeOf(IP_SUCCESS), O::Reply);
    EXPECT_EQ(WinIcmpEcho::OutcomeOf(IP_REQ_TIMED_OUT), O::TimedOut);
    EXPECT_EQ(WinIcmpEcho::OutcomeOf(IP_DEST_HOST_UNREACHABLE), O::Other);
    EXPECT_EQ(WinIcmpEcho::OutcomeOf(IP_TTL_EXPIRED_TRANSIT), O::Other);
    EXPECT_EQ(WinIcmpEcho::OutcomeOf(IP_GENERAL_FAILURE), O::Error);
}
#endif

} // namespace
