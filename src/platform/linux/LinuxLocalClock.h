#pragma once

#include "platform/LocalClock.h"

#include <ctime>

namespace platform {

//! Read from the UI thread only: the tick reads it many times a second, and the local
//! breakdown of the last whole second is kept for the readings that fall into it.
class LinuxLocalClock : public LocalClock {
public:
    LocalTime now() const override;

private:
    mutable time_t lastSecond_ = -1;
    mutable tm lastLocal_{};
};

} // namespace platform
