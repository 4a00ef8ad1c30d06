#include "scheduler/TimeText.h"

#include <gtest/gtest.h>

namespace {

TEST(TimeText, TimesReadInBothFormsMatchTheirOneSecondAndUnparseableOnesNever)
{
    const std::pair<const char*, QTime> good[] = {{"7:05:09", QTime(7, 5, 9)},
                                                  {" 23:59:58 ", QTime(23, 59, 58)},
                                                  {"08:30", QTime(8, 30)},
                                                  {"0007:05", QTime(7, 5)},
                                                  {"0:00:00", QTime(0, 0)}};
    for (const auto& [text, time] : good)
        EXPECT_EQ(ParseTime(text), time) << text;
    // 4294967308 wraps round to 12 in 32 bits: overlong fields must not be read at all.
    for (const char* bad :
         {"25:61:00", "", "  :  :  ", "12:60:00", "12:00:60", "ab:cd:ef", "12:00:00:00", "-1:00:00",
          "1200:00:00", "4294967308:00:00", "12:4294967296", "8", "24:00"})
        EXPECT_FALSE(ParseTime(bad).has_value()) << bad;
    EXPECT_FALSE(TimeMatches("25:61:00", QTime(1, 1, 0)));
    // A stored time matches its one second, whatever its padding.
    EXPECT_TRUE(TimeMatches("7:05:00", QTime(7, 5, 0)));
    EXPECT_TRUE(TimeMatches("07:05:00", QTime(7, 5, 0, 999)));
    EXPECT_TRUE(TimeMatches(" 7:05:00", QTime(7, 5, 0)));
    EXPECT_FALSE(TimeMatches("07:05:00", QTime(7, 5, 1)));
    EXPECT_FALSE(TimeMatches("07:05:00", QTime(19, 5, 0)));
}

TEST(TimeText, DatesAreWrittenOneWayAndReadInThreeAndWeekdayRangesDoNotWrap)
{
    EXPECT_EQ(DateText(QDate(2026, 1, 5)), "2026/01/05");
    EXPECT_EQ(ParseDate("2026/01/05"), QDate(2026, 1, 5));
    EXPECT_EQ(ParseDate("2026/1/5"), QDate(2026, 1, 5));
    EXPECT_EQ(ParseDate("2026-1-5"), QDate(2026, 1, 5));
    for (const char* bad : {"", "2026/02/30", "26/1/5", "2026.1.5", "2026/1", "2026/13/01"})
        EXPECT_FALSE(ParseDate(bad).has_value()) << bad;
    EXPECT_EQ(TimeText(QTime(7, 5, 9)), "7:05:09");

    // Weekdays count from Sunday; a range of them includes both ends in either order.
    EXPECT_EQ(WeekdayOf(QDate(2026, 12, 6)), 0); // a Sunday
    EXPECT_EQ(WeekdayOf(QDate(2026, 12, 9)), 3);
    EXPECT_EQ(WeekdayOf(QDate(2026, 12, 12)), 6);
    EXPECT_TRUE(Between(1, 1, 5));
    EXPECT_TRUE(Between(5, 5, 1));
    EXPECT_TRUE(Between(3, 5, 1));
    EXPECT_FALSE(Between(6, 5, 1));
    EXPECT_FALSE(Between(0, 5, 1)); // Friday..Monday means Monday..Friday, not over Sunday
}

} // namespace
