#pragma once

#include <QObject>

class QSocketNotifier;
class QTimer;

//! One wake-up at a time, measured on the wall clock. On Linux a timer on the real-time
//! clock: it fires at its moment even when the computer slept through it (at the resume),
//! and a clock set cancels it and says so, so the caller can aim anew at once. Elsewhere,
//! or where that timer cannot be made, a plain precise timer (which sleeps with the
//! computer and does not see a clock set: callers keep its sleeps short).
class WallClockWake : public QObject {
    Q_OBJECT
public:
    explicit WallClockWake(QObject* parent = nullptr);
    ~WallClockWake() override;

    //! Wakes once, `delayMs` from now; replaces the wake-up planned before.
    void Start(int delayMs);
    void Stop();
    bool IsActive() const { return active_; }
    //! True where a clock set and a resume are seen.
    bool FollowsTheWallClock() const { return fd_ >= 0; }

signals:
    void Woken();
    //! The wall clock was set: the planned wake-up is void, nothing comes until Start().
    void ClockSet();

private:
    void OnReadable();

    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer* timer_ = nullptr;
    bool active_ = false;
};
