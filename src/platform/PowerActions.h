#pragma once

namespace platform {

//! Power actions by PowerMode: 0 shut down, 1 restart, 2 stand by, 3 hibernate,
//! 4 log off, 5 screen off. True when the system accepted the request.
class PowerActions {
public:
    virtual ~PowerActions() = default;
    virtual bool run(unsigned mode) = 0;
};

} // namespace platform
