#pragma once

#include "support/FeatureHost.h"
#include "support/TestEnvironment.h"

#include <QDateTime>

//! One feature alone over a fresh TestEnvironment, with the ticking the reminder tests use.
template <typename Feature> class ReminderHost {
public:
    ReminderHost() { env.Start<Feature>(); }

    //! The next run of the program over the same settings file.
    void Restart() { env.Restart(); }
    Feature& operator*() { return env.Feature<Feature>(); }
    Feature* operator->() { return &env.Feature<Feature>(); }
    FeatureContext& Context() { return env.Host().Context(); }

    //! One tick at the clock's present time.
    void TickNow() { env.RunTick(); }
    //! One tick after moving the clock by `seconds`.
    void Tick(int seconds = 1) { env.Tick(seconds); }
    //! Ticks every second from `from` for `count` seconds, `perSecond` ticks in each.
    void TickThrough(const QDateTime& from, int count, int perSecond = 1)
    {
        env.TickThrough(from, count, perSecond);
    }

    TestEnvironment env;
};
