#include "WinClockSetter.h"

#include <cstdint>

namespace platform {

namespace {

// 100-ns intervals from 1601-01-01 (the FILETIME epoch) to 1970-01-01.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000LL;
constexpr std::int64_t kTicksPerSecond = 10000000LL;

} // namespace

bool WinClockSetter::SystemTimeOf(std::int64_t secondsSinceEpoch, SYSTEMTIME& out)
{
    if (secondsSinceEpoch < -kUnixEpochTicks / kTicksPerSecond ||
        secondsSinceEpoch > (INT64_MAX - kUnixEpochTicks) / kTicksPerSecond)
        return false;
    const std::int64_t ticks = secondsSinceEpoch * kTicksPerSecond + kUnixEpochTicks;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFF);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(ticks) >> 32);
    return FileTimeToSystemTime(&ft, &out) != 0;
}

bool WinClockSetter::setUtc(std::int64_t secondsSinceEpoch)
{
    SYSTEMTIME st;
    if (!SystemTimeOf(secondsSinceEpoch, st))
        return false;
    return SetSystemTime(&st) != 0;
}

} // namespace platform
