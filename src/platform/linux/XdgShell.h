#pragma once

#include "platform/Shell.h"

namespace platform {

//! "open" through xdg-open, started detached; the target is one argument, never shell text.
class XdgShell : public Shell {
public:
    void open(const std::u16string& target) override;
};

} // namespace platform
