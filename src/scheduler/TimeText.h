#pragma once

#include "platform/LocalClock.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <algorithm>
#include <optional>

//! One reading of the local clock. Kept as date and time apart so that a check never
//! pays for a time-zone conversion it does not need.
struct LocalMoment {
    QDate date;
    QTime time;
};

LocalMoment ReadClock(const platform::LocalClock& clock);

//! The wall-clock second of a clock reading, as one number.
inline qint64 SecondOf(const LocalMoment& m)
{
    return m.date.toJulianDay() * 86400 + m.time.msecsSinceStartOfDay() / 1000;
}

//! Long time text "H:mm:ss", the one form every stored time is compared in.
QString TimeText(const QTime& time);
//! Short date text "yyyy/MM/dd", written and compared everywhere.
QString DateText(const QDate& date);

//! A time of day typed as h:mm:ss or hh:mm (blanks around it ignored); nothing when it
//! is not a valid time, such as 25:61:00 or an emptied field.
std::optional<QTime> ParseTime(const QString& text);
//! A date written as yyyy/MM/dd, yyyy/M/d or yyyy-M-d.
std::optional<QDate> ParseDate(const QString& text);

//! True in the one second that `due` names (milliseconds ignored).
inline bool SameSecond(const QTime& due, const QTime& now)
{
    return due.hour() == now.hour() && due.minute() == now.minute() && due.second() == now.second();
}

//! True in the one second whose hour, minute and second the stored time names;
//! never for a stored time that does not parse.
bool TimeMatches(const QString& stored, const QTime& now);

//! 0 = Sunday .. 6 = Saturday.
inline int WeekdayOf(const QDate& date)
{
    return date.dayOfWeek() % 7;
}

//! Both ends included, the bounds in either order, no wrap-around.
template <typename T> bool Between(const T& value, const T& a, const T& b)
{
    return std::min(a, b) <= value && value <= std::max(a, b);
}
