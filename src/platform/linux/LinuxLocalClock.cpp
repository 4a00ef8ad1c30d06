#include "LinuxLocalClock.h"

#include <ctime>

namespace platform {

LocalTime LinuxLocalClock::now() const
{
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    // A change of the time zone shows from the next second on.
    if (ts.tv_sec != lastSecond_) {
        localtime_r(&ts.tv_sec, &lastLocal_);
        lastSecond_ = ts.tv_sec;
    }
    const tm& t = lastLocal_;
    return {t.tm_year + 1900,         t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
            int(ts.tv_nsec / 1000000)};
}

} // namespace platform
