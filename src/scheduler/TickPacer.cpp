#include "scheduler/TickPacer.h"

TickPacer::Wake TickPacer::OnWake(const LocalMoment& now)
{
    const qint64 second = SecondOf(now);
    const int ms = now.time.msec();
    const int toNext = 1000 - ms + kOffsetMs;
    // A second that already had its tick: the timer came back early (before the boundary
    // it was aimed past). Wait for the boundary without ticking again.
    if (started_ && second == lastSecond_)
        return {false, toNext};
    started_ = true;
    lastSecond_ = second;
    return {true, toNext};
}
