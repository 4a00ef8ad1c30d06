#pragma once

#include "platform/PowerActions.h"

#include <set>
#include <vector>

//! Records every power action asked for; the modes in `refused` fail.
class FakePowerActions : public platform::PowerActions {
public:
    std::vector<unsigned> requests;
    std::set<unsigned> refused;

    bool run(unsigned mode) override
    {
        requests.push_back(mode);
        return mode <= 5 && !refused.count(mode);
    }
};
