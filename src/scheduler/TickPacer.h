#pragma once

#include "scheduler/TimeText.h"

#include <QtGlobal>

#include <optional>

//! Keeps the tick on the wall clock's seconds, and only on the seconds that need one: every
//! second something is due gets exactly one tick, the seconds between are slept through. A
//! timer of a fixed 1000 ms keeps whatever phase it started with; near a second's boundary
//! its jitter gives some seconds two ticks and some none, and a second without a tick loses
//! its alarm or shutdown. Instead each wake-up aims the next one a little after the boundary
//! of the next second that needs a tick, so a set or jumping clock is followed at once.
class TickPacer {
public:
    //! How far after a second's boundary a tick is aimed.
    static constexpr int kOffsetMs = 15;
    //! The longest sleep. A change of the wall clock that the wake-up cannot see (a new time
    //! zone, a clock set where only a plain timer is at hand) is followed within it.
    static constexpr int kLongestSleepMs = 60'000;

    //! Called at every wake-up with the clock's reading: true when this wake-up runs the
    //! tick, false when its second already had one (the timer came back early).
    bool OnWake(const LocalMoment& now);

    //! Milliseconds from `now` to a little after the start of wall-clock second `next` (as
    //! SecondOf counts; the next second when `next` is not later), at most the longest sleep;
    //! the longest sleep when nothing needs a tick. A change of the local time's offset
    //! from UTC before `next` (daylight saving) is counted: the wake-up comes at `next` as
    //! the clock will then show it.
    static int DelayTo(const LocalMoment& now, std::optional<qint64> next);

private:
    qint64 lastSecond_ = -1;
    bool started_ = false;
};
