#pragma once

#include "platform/PowerActions.h"

namespace platform {

//! Power actions through the shutdown privilege of the process token, ExitWindowsEx,
//! SetSuspendState and the monitor-power broadcast.
class WinPowerActions : public PowerActions {
public:
    bool run(unsigned mode) override;
};

} // namespace platform
