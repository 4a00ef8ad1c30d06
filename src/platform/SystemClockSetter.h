#pragma once

#include <cstdint>
#include <functional>

namespace platform {

//! Sets the system clock; false when the system refuses (no right to set the time).
class SystemClockSetter {
public:
    //! How the system keeps its own clock.
    enum class Sync {
        //! Not known, or set by hand: the program may set it.
        Unknown,
        //! A time service is on but has not reached its server yet; the system refuses to
        //! have the clock set meanwhile.
        Automatic,
        //! A time service keeps the clock in step: nothing to do.
        InStep,
    };
    enum class Outcome {
        Set,
        //! The user lacks the right to set the clock.
        NotAllowed,
        //! Refused because the system's own time service is on.
        AutomaticSyncOn,
        Failed,
    };
    using SyncAnswer = std::function<void(Sync)>;
    using Done = std::function<void(Outcome)>;

    virtual ~SystemClockSetter() = default;
    //! Seconds since 1970-01-01 00:00:00 UTC. Waits for the system's answer.
    virtual bool setUtc(std::int64_t secondsSinceEpoch) = 0;

    //! Asks how the clock is kept. The answer may come later from the caller's event loop,
    //! or at once; never after the setter is gone.
    virtual void querySync(SyncAnswer answer) { answer(Sync::Unknown); }
    //! Sets the clock to milliseconds since 1970 UTC without waiting where the system allows;
    //! `done` is told the outcome, later or at once, and never after the setter is gone.
    virtual void setUtcMs(std::int64_t msSinceEpoch, Done done)
    {
        // The second the time falls in.
        const std::int64_t seconds =
            msSinceEpoch >= 0 ? msSinceEpoch / 1000 : (msSinceEpoch - 999) / 1000;
        done(setUtc(seconds) ? Outcome::Set : Outcome::Failed);
    }
};

} // namespace platform
