#include "PlatformUnderTest.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace {

TEST(LocalClockTest, AgreesWithTheCLibraryLocalTime)
{
    const platform::LocalTime t = under_test::LocalClock().now();
    const std::time_t before = std::time(nullptr);
    EXPECT_GE(t.month, 1);
    EXPECT_LE(t.month, 12);
    EXPECT_GE(t.day, 1);
    EXPECT_LE(t.day, 31);
    EXPECT_LE(t.hour, 23);
    EXPECT_LE(t.minute, 59);
    EXPECT_LE(t.second, 60);
    EXPECT_GE(t.millisecond, 0);
    EXPECT_LE(t.millisecond, 999);
    std::tm parts{};
    parts.tm_year = t.year - 1900;
    parts.tm_mon = t.month - 1;
    parts.tm_mday = t.day;
    parts.tm_hour = t.hour;
    parts.tm_min = t.minute;
    parts.tm_sec = t.second;
    parts.tm_isdst = -1;
    EXPECT_LE(std::abs(double(std::mktime(&parts) - before)), 2.0);
}

TEST(LocalClockTest, CarriesMilliseconds)
{
    // A clock of whole seconds would report 0 on every read across a second's change.
    under_test::LocalClock clock;
    const int start = clock.now().second;
    bool sawNonZero = false;
    for (platform::LocalTime t = clock.now(); t.second == start || !sawNonZero; t = clock.now()) {
        sawNonZero = sawNonZero || t.millisecond != 0;
        if (t.second != start && t.second != (start + 1) % 60 && t.second != (start + 2) % 60)
            break;
    }
    EXPECT_TRUE(sawNonZero);
}

} // namespace
