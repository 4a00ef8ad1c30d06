#pragma once

#include "platform/Shell.h"

namespace platform {

//! ShellExecuteW "open", shown normally.
class WinShell : public Shell {
public:
    void open(const std::u16string& target) override;
};

} // namespace platform
