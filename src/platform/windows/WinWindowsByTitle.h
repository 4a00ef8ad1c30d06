#pragma once

#include "platform/WindowsByTitle.h"

namespace platform {

//! FindWindowW over top-level windows; closing posts WM_CLOSE.
class WinWindowsByTitle : public WindowsByTitle {
public:
    bool exists(const std::u16string& title) override;
    bool requestClose(const std::u16string& title) override;
};

} // namespace platform
