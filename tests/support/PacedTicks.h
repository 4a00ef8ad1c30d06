#pragma once

#include "support/TestEnvironment.h"

#include "core/FeatureContext.h"

#include <QDateTime>

#include <functional>
#include <map>

//! Changes made between ticks at their times: boxes, lists, buttons.
using TimedEdits = std::map<QDateTime, std::function<void(TestEnvironment&)>>;

//! Ticks the host from `start` to `end`, every second or only in the seconds the schedules and
//! watches ask for, making `edits` on the way; `note` runs after every tick and edit with its
//! time. The uptime runs with the clock, 400 ms out of phase with it. Returns the ticks made.
inline int TickThroughPaced(TestEnvironment& env, bool everySecond, const QDateTime& start,
                            const QDateTime& end, const TimedEdits& edits,
                            const std::function<void(const QDateTime&)>& note)
{
    FeatureContext& ctx = env.Host().Context();
    const auto setClock = [&](const QDateTime& t) {
        env.clock->Set(t);
        env.systemInfo->uptimeMs = std::uint32_t((5000 + start.secsTo(t)) * 1000 + 400);
    };
    const auto next = [&] {
        const std::optional<qint64> second = ctx.NextTickSecond(ctx.Now());
        return second ? env.clock->Current().addSecs(*second - SecondOf(ctx.Now()))
                      : end.addSecs(1);
    };
    int ticks = 0;
    auto edit = edits.begin();
    for (QDateTime t = start; t <= end;) {
        // Every second: an edit comes before the tick of its second. Paced: in its own time,
        // between two ticks, and the pacer aims again after it.
        if (edit != edits.end() && (edit->first < t || (everySecond && edit->first == t))) {
            setClock(edit->first);
            edit->second(env);
            note(edit->first);
            ++edit;
            if (!everySecond)
                t = next();
            continue;
        }
        setClock(t);
        env.RunTick();
        note(t);
        ++ticks;
        t = everySecond ? t.addSecs(1) : next();
    }
    return ticks;
}
