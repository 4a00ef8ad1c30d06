#pragma once

#include "scheduler/TimeText.h"

#include <QtGlobal>

//! Keeps the one-second tick on the wall clock's seconds: every second gets exactly one
//! tick. A timer of a fixed 1000 ms keeps whatever phase it started with; near a second's
//! boundary its jitter gives some seconds two ticks and some none, and a second without a
//! tick loses its alarm or shutdown. Instead each wake-up aims the next one a little after
//! the next boundary, so a set or jumping clock is followed at once.
class TickPacer {
public:
    //! How far after a second's boundary a tick is aimed.
    static constexpr int kOffsetMs = 15;

    struct Wake {
        bool tick;   //!< run the tick now
        int delayMs; //!< when to wake next
    };

    //! Called at every wake-up with the clock's reading.
    Wake OnWake(const LocalMoment& now);

private:
    qint64 lastSecond_ = -1;
    bool started_ = false;
};
