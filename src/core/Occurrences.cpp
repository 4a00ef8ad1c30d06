#include "core/Occurrences.h"

namespace Occurrences {

LocalMoment MomentAt(qint64 second)
{
    const qint64 day = second / 86400;
    return {QDate::fromJulianDay(day),
            QTime::fromMSecsSinceStartOfDay(int(second - day * 86400) * 1000)};
}

LocalMoment After(const LocalMoment& m, qint64 seconds)
{
    return MomentAt(SecondOf(m) + seconds);
}

bool Within(const LocalMoment& m, const LocalMoment& from, const LocalMoment& to)
{
    const qint64 s = SecondOf(m);
    return SecondOf(from) <= s && s <= SecondOf(to);
}

std::vector<LocalMoment> Daily(const LocalMoment& from, const LocalMoment& to, const QTime& time,
                               const std::function<bool(const QDate&)>& day)
{
    std::vector<LocalMoment> found;
    for (QDate date = from.date; date <= to.date; date = date.addDays(1)) {
        const LocalMoment at{date, time};
        if (Within(at, from, to) && day(date))
            found.push_back(at);
    }
    return found;
}

std::optional<LocalMoment> FirstAligned(const LocalMoment& from, const LocalMoment& to, int step,
                                        const std::function<bool(const LocalMoment&)>& keep)
{
    // A day holds a whole number of steps, so counting from the epoch of SecondOf lines the
    // steps up with the days.
    const qint64 first = (SecondOf(from) + step - 1) / step * step;
    for (qint64 s = first; s <= SecondOf(to); s += step) {
        const LocalMoment at = MomentAt(s);
        if (!keep || keep(at))
            return at;
    }
    return std::nullopt;
}

QString Duration(qint64 seconds)
{
    seconds = std::max<qint64>(seconds, 0);
    const qint64 days = seconds / 86400;
    const qint64 hours = seconds / 3600 % 24;
    const qint64 minutes = seconds / 60 % 60;
    const qint64 rest = seconds % 60;
    if (days > 0)
        return QStringLiteral("%1 天 %2 小时").arg(days).arg(hours);
    if (hours > 0)
        return QStringLiteral("%1 小时 %2 分").arg(hours).arg(minutes);
    if (minutes > 0)
        return QStringLiteral("%1 分 %2 秒").arg(minutes).arg(rest);
    return QStringLiteral("%1 秒").arg(rest);
}

} // namespace Occurrences
