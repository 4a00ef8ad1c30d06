#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

struct DiskSpace {
    std::uint64_t freeToCaller = 0;
    std::uint64_t total = 0;
    std::uint64_t free = 0;
};

struct MemoryStatus {
    unsigned loadPercent = 0;
    std::uint64_t totalPhysical = 0;
    std::uint64_t availablePhysical = 0;
};

//! Disk, memory and uptime figures.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual std::optional<DiskSpace> diskSpace(const std::u16string& path) = 0;
    virtual MemoryStatus memory() = 0;
    //! Milliseconds since boot as a 32-bit count that wraps after about 49.7 days.
    virtual std::uint32_t tickCount() = 0;
};

} // namespace platform
