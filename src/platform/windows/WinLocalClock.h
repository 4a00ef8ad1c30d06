#pragma once

#include "platform/LocalClock.h"

namespace platform {

class WinLocalClock : public LocalClock {
public:
    LocalTime now() const override;
};

} // namespace platform
