#pragma once

#include "platform/PowerActions.h"

#include <set>
#include <vector>

//! Records every power action asked for; the modes in `refused` fail.
class FakePowerActions : public platform::PowerActions {
public:
    std::vector<unsigned> requests;
    std::set<unsigned> refused;
    //! Modes this desktop has no way to carry out.
    std::set<unsigned> missing;

    bool run(unsigned mode) override
    {
        requests.push_back(mode);
        return mode <= 5 && !refused.count(mode) && !missing.count(mode);
    }
    bool offers(unsigned mode) override { return mode <= 5 && !missing.count(mode); }
};
