#pragma once

#include "platform/SystemClockSetter.h"

#include <windows.h>

namespace platform {

//! SetSystemTime; fails without the right to change the system time.
class WinClockSetter : public SystemClockSetter {
public:
    bool setUtc(std::int64_t secondsSinceEpoch) override;

    //! The UTC calendar time of a count of seconds since 1970, milliseconds 0; false for a
    //! time the system cannot represent.
    static bool SystemTimeOf(std::int64_t secondsSinceEpoch, SYSTEMTIME& out);
};

} // namespace platform
