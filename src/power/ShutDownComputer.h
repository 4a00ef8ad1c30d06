#pragma once

#include "core/PowerRequests.h"

#include <QString>

namespace platform {
struct Platform;
}

//! Carries out one power action through the system's binding. Only success or failure is
//! reported; the caller shows any message. The power rules come here through
//! PowerRequests, which records their actions and lets the warning hold them.
class ShutDownComputer {
public:
    explicit ShutDownComputer(platform::Platform& platform) : platform_(platform) {}

    //! True when the system accepted the action; false on a system without a power binding.
    bool RunPowerMode(PowerMode mode) const;

    //! The name of the entry at `index` of a mode list (关机 ... 关闭屏幕); empty for any
    //! other index.
    static QString ModeName(int index);

private:
    platform::Platform& platform_;
};
