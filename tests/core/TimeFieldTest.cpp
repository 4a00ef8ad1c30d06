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
    for (const auto& [stored, shown] : {std::pair<QString, QString>{"7:05:00", "07:05:00"},
                                        {"23:59:59", "23:59:59"},
                                        {"8:30", "08:30:00"}}) {
        SetTimeFieldText(edit, stored);
        EXPECT_EQ(TimeFieldText(edit), shown) << stored.toStdString();
    }
    SetTimeFieldText(edit, QTime(9, 5, 7));
    EXPECT_EQ(TimeFieldText(edit), "09:05:07");
    for (const auto& [keys, text] :
         {std::pair<QString, QString>{"083000", "08:30:00"}, {"2359", "23:59:"}}) {
        edit->clear();
        edit->setCursorPosition(0);
        QTest::keyClicks(edit, keys);
        EXPECT_EQ(TimeFieldText(edit), text) << keys.toStdString();
    }
}

// A weekday box's index and a stored weekday name both mean the day WeekdayOf gives.
TEST(Weekdays, EachNameIsTheDayOfItsIndexFromSunday)
{
    const QStringList names = {"星期日", "星期一", "星期二", "星期三",
                               "星期四", "星期五", "星期六"};
    for (int d = 0; d < 7; ++d)
        EXPECT_EQ(WeekdayNames().indexOf(names[d]), WeekdayOf(QDate(2026, 12, 6).addDays(d))) << d;
}

} // namespace
