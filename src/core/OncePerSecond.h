#pragma once

#include "scheduler/TimeText.h"

#include <QtGlobal>

//! Lets an action through once per wall-clock second. Two ticks can fall into one second
//! (a tick nested in an open box, or a clock set back), and an alarm, a timing or a power
//! action must not happen twice for one occasion.
class OncePerSecond {
public:
    //! True for the first call in the second `now` falls in.
    bool First(const LocalMoment& now)
    {
        const qint64 second = SecondOf(now);
        if (second == last_)
            return false;
        last_ = second;
        return true;
    }
    //! Forgets the last second, so that a rule armed again may act in it.
    void Reset() { last_ = -1; }

private:
    qint64 last_ = -1;
};
