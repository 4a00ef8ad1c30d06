#pragma once

#include "maintenance/OptimizationTable.h"

#include <string>
#include <vector>

//! What the registry holds now for every value of `table`, as a file the system's registry
//! editor imports ("Windows Registry Editor Version 5.00"): each value with its own type and
//! data, a value that does not exist yet as a deletion ("name"=-), and a key the table
//! deletes as that key with its default value. Importing it undoes the optimisation.
std::u16string OptimizationBackupText(platform::Registry& registry,
                                      const std::vector<OptimizationGroup>& table);

//! The file's bytes: UTF-16LE with its byte order mark, as the editor writes them.
std::string RegistryFileBytes(const std::u16string& text);
