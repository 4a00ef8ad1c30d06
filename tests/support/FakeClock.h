#pragma once

#include "platform/LocalClock.h"

#include <QDateTime>

//! A clock the test moves by hand.
class FakeClock : public platform::LocalClock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)))
        : now_(start)
    {
    }

    platform::LocalTime now() const override
    {
        const QDate d = now_.date();
        const QTime t = now_.time();
        return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()};
    }

    void Set(const QDateTime& when) { now_ = when; }
    void Set(const QDate& date, const QTime& time) { now_ = QDateTime(date, time); }
    void AdvanceSeconds(int n) { now_ = now_.addSecs(n); }
    void AdvanceMs(int n) { now_ = now_.addMSecs(n); }
    QDateTime Current() const { return now_; }

private:
    QDateTime now_;
};
