#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

//! One key of the one-key optimisation: its values, written in this order, or (deleteKey)
//! the key to remove with everything below it.
struct OptimizationGroup {
    platform::RegistryRoot root;
    std::u16string path;
    std::vector<std::pair<std::u16string, platform::RegistryValue>> values;
    bool deleteKey = false;
};

//! The whole optimisation in its order: 23 keys, 44 values and one key to delete. The paging
//! file lies on `systemDrive` ("C:") and is sized from `physicalMB`.
std::vector<OptimizationGroup> OptimizationTable(std::uint64_t physicalMB,
                                                 const std::u16string& systemDrive);

//! "C:\pagefile.sys 1536 2048" for 1024 MB: one and a half times the memory at least,
//! twice at most.
std::u16string PagingFilesValue(std::uint64_t physicalMB, const std::u16string& systemDrive);

//! Writes the table in its order. Stops at the first value the system refuses and gives its
//! name; nothing after it is written. A key that cannot be deleted is passed over.
std::optional<std::u16string> WriteOptimization(platform::Registry& registry,
                                                const std::vector<OptimizationGroup>& table);
