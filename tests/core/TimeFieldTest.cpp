#include "core/TimeField.h"
#include "core/Weekdays.h"
#include "scheduler/TimeText.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

namespace {

// The fields of the power rules, the alarms, the notes and the timings show what their
// loaders read (a stored text or a time) and give back what was typed.
TEST(TimeField, ShowsStoredTimesWithTwoDigitHoursAndGivesTypedTimesBackWithoutTheMask)
{
    QWidget parent;
    QLineEdit* edit = NewTimeField(&parent, "FixedTimeMaskEdit", "tip");
    EXPECT_EQ(TimeFieldText(edit), "00:00:00");

    const struct {
        QString stored;
        QString shown;
    } stored[] = {{"7:05:00", "07:05:00"}, {"23:59:59", "23:59:59"}, {"8:30", "08:30:00"}};
    for (const auto& row : stored) {
        SetTimeFieldText(edit, row.stored);
        EXPECT_EQ(TimeFieldText(edit), row.shown) << row.stored.toStdString();
    }
    SetTimeFieldText(edit, QTime(9, 5, 7));
    EXPECT_EQ(TimeFieldText(edit), "09:05:07");

    const struct {
        QString keys;
        QString text;
    } typed[] = {{"083000", "08:30:00"}, {"2359", "23:59:"}};
    for (const auto& row : typed) {
        edit->clear();
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, row.keys);
        EXPECT_EQ(TimeFieldText(edit), row.text) << row.keys.toStdString();
    }
    EXPECT_EQ(ParseTime(TimeFieldText(edit)), std::nullopt) << "a time typed half is no time";
}

// A weekday box's index and a stored weekday name both mean the day WeekdayOf gives.
TEST(Weekdays, EachNameIsTheDayOfItsIndexFromSunday)
{
    const QStringList names = {"星期日", "星期一", "星期二", "星期三",
                               "星期四", "星期五", "星期六"};
    ASSERT_EQ(WeekdayNames(), names);
    for (int d = 0; d < 7; ++d) {
        const QDate date = QDate(2026, 12, 6).addDays(d); // from a Sunday
        EXPECT_EQ(WeekdayNames().indexOf(names[d]), WeekdayOf(date)) << d;
    }
}

} // namespace
