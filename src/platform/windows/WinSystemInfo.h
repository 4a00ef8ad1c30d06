#pragma once

#include "platform/SystemInfo.h"

namespace platform {

class WinSystemInfo : public SystemInfo {
public:
    std::optional<DiskSpace> diskSpace(const std::u16string& path) override;
    MemoryStatus memory() override;
    std::uint32_t tickCount() override;
};

} // namespace platform
