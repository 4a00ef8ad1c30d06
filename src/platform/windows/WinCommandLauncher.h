#pragma once

#include "platform/CommandLauncher.h"

namespace platform {

//! ShellExecuteExW with the file as the only thing it opens: no command line to split.
class WinCommandLauncher : public CommandLauncher {
public:
    Result launch(const std::u16string& path, int showMode) override;
    bool hasExited(std::int64_t process) override;
};

} // namespace platform
