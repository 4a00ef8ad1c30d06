#pragma once

#include "platform/CommandLauncher.h"

namespace platform {

//! posix_spawn of the file itself (or /bin/sh for a script without the execute bit), in a
//! session of its own so that it outlives us; errno is mapped to the launch codes.
class SpawnLauncher : public CommandLauncher {
public:
    Result launch(const std::u16string& path, int showMode) override;
    bool hasExited(std::int64_t process) override;
};

} // namespace platform
