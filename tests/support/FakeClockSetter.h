#pragma once

#include "platform/SystemClockSetter.h"

#include <optional>
#include <utility>
#include <vector>

//! Remembers the times it was asked to set; refuses when told to. Answers at once unless
//! `hold` is set, then when Answer() is called.
class FakeClockSetter : public platform::SystemClockSetter {
public:
    //! Seconds given to setUtc, and milliseconds given to setUtcMs.
    std::vector<std::int64_t> set;
    std::vector<std::int64_t> setMs;
    bool refuse = false;
    //! How setUtcMs answers; by default as `refuse` says.
    std::optional<Outcome> outcome;
    Sync sync = Sync::Unknown;
    int syncQueries = 0;
    bool hold = false;

    bool setUtc(std::int64_t secondsSinceEpoch) override
    {
        set.push_back(secondsSinceEpoch);
        return !refuse;
    }
    void querySync(SyncAnswer answer) override
    {
        ++syncQueries;
        answer(sync);
    }
    void setUtcMs(std::int64_t msSinceEpoch, Done done) override
    {
        setMs.push_back(msSinceEpoch);
        held_ = std::move(done);
        if (!hold)
            Answer();
    }
    void Answer()
    {
        if (Done done = std::exchange(held_, nullptr))
            done(outcome.value_or(refuse ? Outcome::Failed : Outcome::Set));
    }

private:
    Done held_;
};
