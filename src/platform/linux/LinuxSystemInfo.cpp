#include "LinuxSystemInfo.h"

#include <QString>

#include <sys/statvfs.h>
#include <time.h>

#include <cstdio>

namespace platform {

std::optional<DiskSpace> LinuxSystemInfo::diskSpace(const std::u16string& path)
{
    const QByteArray local = QString::fromStdU16String(path).toLocal8Bit();
    struct statvfs fs {};
    if (local.isEmpty() || statvfs(local.constData(), &fs) != 0)
        return std::nullopt;
    const std::uint64_t unit = fs.f_frsize ? fs.f_frsize : fs.f_bsize;
    DiskSpace out;
    out.total = std::uint64_t(fs.f_blocks) * unit;
    out.free = std::uint64_t(fs.f_bfree) * unit;
    out.freeToCaller = std::uint64_t(fs.f_bavail) * unit;
    return out;
}

MemoryStatus LinuxSystemInfo::memory()
{
    MemoryStatus out;
    std::FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f)
        return out;
    char line[256];
    std::uint64_t totalKb = 0, availableKb = 0, freeKb = 0;
    bool haveAvailable = false;
    while (std::fgets(line, sizeof line, f)) {
        unsigned long long kb = 0;
        if (std::sscanf(line, "MemTotal: %llu kB", &kb) == 1)
            totalKb = kb;
        else if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
            availableKb = kb;
            haveAvailable = true;
        } else if (std::sscanf(line, "MemFree: %llu kB", &kb) == 1)
            freeKb = kb;
    }
    std::fclose(f);
    // Kernels before 3.14 have no MemAvailable; free memory is the closest figure.
    if (!haveAvailable)
        availableKb = freeKb;
    if (availableKb > totalKb)
        availableKb = totalKb;
    out.totalPhysical = totalKb * 1024;
    out.availablePhysical = availableKb * 1024;
    if (totalKb)
        out.loadPercent = unsigned((totalKb - availableKb) * 100 / totalKb);
    return out;
}

std::uint32_t LinuxSystemInfo::tickCount()
{
    timespec ts{};
    if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0)
        clock_gettime(CLOCK_MONOTONIC, &ts);
    // Truncating to 32 bits gives the same wrap after about 49.7 days.
    const std::uint64_t ms =
        std::uint64_t(ts.tv_sec) * 1000u + std::uint64_t(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

} // namespace platform
