#include "WinSystemInfo.h"

#include <windows.h>

namespace platform {

std::optional<DiskSpace> WinSystemInfo::diskSpace(const std::u16string& path)
{
    ULARGE_INTEGER caller{}, total{}, free{};
    if (path.empty() || !GetDiskFreeSpaceExW(reinterpret_cast<const wchar_t*>(path.c_str()),
                                             &caller, &total, &free))
        return std::nullopt;
    DiskSpace out;
    out.freeToCaller = caller.QuadPart;
    out.total = total.QuadPart;
    out.free = free.QuadPart;
    return out;
}

MemoryStatus WinSystemInfo::memory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    MemoryStatus out;
    if (!GlobalMemoryStatusEx(&status))
        return out;
    out.loadPercent = status.dwMemoryLoad;
    out.totalPhysical = status.ullTotalPhys;
    out.availablePhysical = status.ullAvailPhys;
    return out;
}

std::uint32_t WinSystemInfo::tickCount()
{
    // The 32-bit count on purpose: the run-time limit relies on its wrap.
    return GetTickCount();
}

} // namespace platform
