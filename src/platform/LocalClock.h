#pragma once

namespace platform {

struct LocalTime {
    int year = 2000;
    int month = 1; // 1..12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

//! The local wall clock.
class LocalClock {
public:
    virtual ~LocalClock() = default;
    virtual LocalTime now() const = 0;
};

} // namespace platform
