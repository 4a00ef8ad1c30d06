#pragma once

#include "platform/SystemClockSetter.h"

#include <vector>

//! Remembers the times it was asked to set; refuses when told to.
class FakeClockSetter : public platform::SystemClockSetter {
public:
    std::vector<std::int64_t> set;
    bool refuse = false;

    bool setUtc(std::int64_t secondsSinceEpoch) override
    {
        set.push_back(secondsSinceEpoch);
        return !refuse;
    }
};
