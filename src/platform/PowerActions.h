#pragma once

namespace platform {

//! Power actions by PowerMode: 0 shut down, 1 restart, 2 stand by, 3 hibernate,
//! 4 log off, 5 screen off. True when the system accepted the request.
class PowerActions {
public:
    virtual ~PowerActions() = default;
    virtual bool run(unsigned mode) = 0;
    //! False for a mode this desktop has no way to carry out (screen off without any
    //! source for it), so that a rule can refuse it when armed instead of failing later.
    virtual bool offers(unsigned mode) { return mode <= 5; }
};

} // namespace platform
