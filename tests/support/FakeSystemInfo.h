#pragma once

#include "platform/SystemInfo.h"

//! Uptime set by the test; a roomy disk and memory.
class FakeSystemInfo : public platform::SystemInfo {
public:
    std::uint32_t uptimeMs = 0;
    platform::DiskSpace disk{50'000'000'000ull, 100'000'000'000ull, 50'000'000'000ull};
    platform::MemoryStatus memoryStatus{40, 8'000'000'000ull, 4'800'000'000ull};

    bool diskFails = false;
    std::u16string diskPath;

    std::optional<platform::DiskSpace> diskSpace(const std::u16string& path) override
    {
        diskPath = path;
        if (diskFails)
            return std::nullopt;
        return disk;
    }
    platform::MemoryStatus memory() override { return memoryStatus; }
    std::uint32_t tickCount() override { return uptimeMs; }
};
