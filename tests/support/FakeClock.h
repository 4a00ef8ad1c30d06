#pragma once

#include "platform/LocalClock.h"

#include <QDateTime>

//! A clock the test moves by hand.
class FakeClock : public platform::LocalClock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)))
    {
        Set(start);
    }

    platform::LocalTime now() const override { return parts_; }

    void Set(const QDateTime& when)
    {
        now_ = when;
        // Split once here: the tick reads the clock many times over.
        const QDate d = now_.date();
        const QTime t = now_.time();
        parts_ = {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()};
    }
    void Set(const QDate& date, const QTime& time) { Set(QDateTime(date, time)); }
    void AdvanceSeconds(int n) { Set(now_.addSecs(n)); }
    void AdvanceMs(int n) { Set(now_.addMSecs(n)); }
    QDateTime Current() const { return now_; }

private:
    QDateTime now_;
    platform::LocalTime parts_;
};
