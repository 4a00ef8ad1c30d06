#include "WinLocalClock.h"

#include <windows.h>

namespace platform {

LocalTime WinLocalClock::now() const
{
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

} // namespace platform
