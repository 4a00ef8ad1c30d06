#pragma once

#include "platform/SystemInfo.h"

#include <cstdint>

//! A snapshot of the memory status, taken when it is made.
class SystemInfo {
public:
    explicit SystemInfo(platform::SystemInfo& system) : status_(system.memory()) {}

    //! The installed memory in whole MB, from the 64-bit byte count (a 32-bit count stops
    //! at 4 GB).
    std::uint64_t TotalPhysicalMB() const { return status_.totalPhysical >> 20; }

private:
    platform::MemoryStatus status_;
};
