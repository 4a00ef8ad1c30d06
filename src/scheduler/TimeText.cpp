#include "scheduler/TimeText.h"

LocalMoment ReadClock(const platform::LocalClock& clock)
{
    const platform::LocalTime t = clock.now();
    // The calendar arithmetic of a date is done once a day, not at every reading.
    thread_local struct {
        int year = 0, month = 0, day = 0;
        QDate date;
    } last;
    if (t.day != last.day || t.month != last.month || t.year != last.year) {
        last.date = QDate(t.year, t.month, t.day);
        last.year = t.year;
        last.month = t.month;
        last.day = t.day;
    }
    return {last.date, QTime(t.hour, t.minute, t.second, t.millisecond)};
}

QString TimeText(const QTime& time)
{
    return time.toString(QStringLiteral("H:mm:ss"));
}

QString DateText(const QDate& date)
{
    return date.toString(QStringLiteral("yyyy/MM/dd"));
}

namespace {

// Parses a run of ASCII digits; -1 when there is none or it is too long to be a field.
int Field(QStringView text)
{
    if (text.isEmpty() || text.size() > 4)
        return -1;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

std::optional<QTime> ParseTime(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QList<QStringView> parts = QStringView(trimmed).split(u':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    const int h = Field(parts[0].trimmed());
    const int m = Field(parts[1].trimmed());
    const int s = parts.size() == 3 ? Field(parts[2].trimmed()) : 0;
    if (!QTime::isValid(h, m, s))
        return std::nullopt;
    return QTime(h, m, s);
}

std::optional<QDate> ParseDate(const QString& text)
{
    const QString trimmed = text.trimmed();
    const QChar sep = trimmed.contains(u'/') ? u'/' : u'-';
    const QList<QStringView> parts = QStringView(trimmed).split(sep);
    if (parts.size() != 3 || parts[0].size() != 4)
        return std::nullopt;
    const int y = Field(parts[0]);
    const int m = Field(parts[1]);
    const int d = Field(parts[2]);
    if (y < 0 || !QDate::isValid(y, m, d))
        return std::nullopt;
    return QDate(y, m, d);
}

bool TimeMatches(const QString& stored, const QTime& now)
{
    const std::optional<QTime> t = ParseTime(stored);
    return t && SameSecond(*t, now);
}
