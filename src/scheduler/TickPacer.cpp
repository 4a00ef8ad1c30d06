#include "scheduler/TickPacer.h"

#include <QDateTime>

#include <algorithm>

bool TickPacer::OnWake(const LocalMoment& now)
{
    const qint64 second = SecondOf(now);
    // A second that already had its tick: the timer came back early (before the boundary
    // it was aimed past). Sleep on without ticking again.
    if (started_ && second == lastSecond_)
        return false;
    started_ = true;
    lastSecond_ = second;
    return true;
}

namespace {

// The local time's offset from UTC in seconds at a local moment.
int OffsetAt(const QDate& date, const QTime& time)
{
    return QDateTime(date, time).offsetFromUtc();
}

} // namespace

int TickPacer::DelayTo(const LocalMoment& now, std::optional<qint64> next)
{
    if (!next)
        return kLongestSleepMs;
    const qint64 second = SecondOf(now);
    const qint64 target = std::max(*next, second + 1);
    qint64 ms = (target - second) * 1000 - now.time.msec() + kOffsetMs;
    // The offset costs a time zone look-up: the usual aim at the next second skips it.
    if (target - second > 1) {
        const qint64 days = target / 86400;
        const QDate day = QDate::fromJulianDay(days);
        const QTime at = QTime::fromMSecsSinceStartOfDay(int(target - days * 86400) * 1000);
        ms -= qint64(OffsetAt(day, at) - OffsetAt(now.date, now.time)) * 1000;
    }
    return int(std::clamp<qint64>(ms, kOffsetMs, kLongestSleepMs));
}
