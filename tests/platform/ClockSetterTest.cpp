// The Windows clock setter's conversion; setting the clock itself is left alone, since
// under wine it would reach the host's clock.
#ifdef _WIN32
#include "platform/windows/WinClockSetter.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct UtcCase {
    std::int64_t seconds;
    WORD year, month, day, hour, minute, second;
};

class WinClockSetterTimes : public ::testing::TestWithParam<UtcCase> {};

TEST_P(WinClockSetterTimes, SecondsSince1970BecomeTheUtcCalendarTime)
{
    const UtcCase& c = GetParam();
    SYSTEMTIME st{};
    ASSERT_TRUE(platform::WinClockSetter::SystemTimeOf(c.seconds, st));
    EXPECT_EQ(st.wYear, c.year);
    EXPECT_EQ(st.wMonth, c.month);
    EXPECT_EQ(st.wDay, c.day);
    EXPECT_EQ(st.wHour, c.hour);
    EXPECT_EQ(st.wMinute, c.minute);
    EXPECT_EQ(st.wSecond, c.second);
    EXPECT_EQ(st.wMilliseconds, 0);
}

INSTANTIATE_TEST_SUITE_P(Times, WinClockSetterTimes,
                         ::testing::Values(UtcCase{0, 1970, 1, 1, 0, 0, 0},
                                           UtcCase{1796810400, 2026, 12, 9, 10, 0, 0},
                                           UtcCase{1709251199, 2024, 2, 29, 23, 59, 59},
                                           // The Time Protocol's count wraps here.
                                           UtcCase{2085978496, 2036, 2, 7, 6, 28, 16},
                                           UtcCase{2085979496, 2036, 2, 7, 6, 44, 56}));

TEST(WinClockSetter, ATimeTheSystemCannotHoldIsRefusedWithoutSettingAnything)
{
    SYSTEMTIME st{};
    EXPECT_FALSE(platform::WinClockSetter::SystemTimeOf(INT64_MAX, st));
    EXPECT_FALSE(platform::WinClockSetter::SystemTimeOf(-20000000000LL, st));
    EXPECT_FALSE(platform::WinClockSetter().setUtc(INT64_MAX));
}

} // namespace
#endif
