#pragma once

#include "platform/SystemInfo.h"

namespace platform {

//! statvfs, /proc/meminfo and the boot-time clock (which keeps counting during suspend,
//! as the Windows tick count does).
class LinuxSystemInfo : public SystemInfo {
public:
    std::optional<DiskSpace> diskSpace(const std::u16string& path) override;
    MemoryStatus memory() override;
    std::uint32_t tickCount() override;
};

} // namespace platform
