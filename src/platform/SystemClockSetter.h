#pragma once

#include <cstdint>

namespace platform {

//! Sets the system clock; false when the system refuses (no right to set the time).
class SystemClockSetter {
public:
    virtual ~SystemClockSetter() = default;
    //! Seconds since 1970-01-01 00:00:00 UTC.
    virtual bool setUtc(std::int64_t secondsSinceEpoch) = 0;
};

} // namespace platform
