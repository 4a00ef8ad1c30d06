#pragma once

#include "platform/LocalClock.h"

namespace platform {

class LinuxLocalClock : public LocalClock {
public:
    LocalTime now() const override;
};

} // namespace platform
