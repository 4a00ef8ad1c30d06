#pragma once

#include "platform/WindowsByTitle.h"

namespace platform {

//! Windows of any X client found by exact title (_NET_WM_NAME, else WM_NAME) anywhere in
//! the window tree, so unmapped windows and those inside window-manager frames count.
//! Each call opens its own connection to $DISPLAY; without a display nothing is found.
class X11WindowsByTitle : public WindowsByTitle {
public:
    bool exists(const std::u16string& title) override;
    //! Sends WM_DELETE_WINDOW, as the close button does; false when no window with this
    //! title takes that message. The client is never killed.
    bool requestClose(const std::u16string& title) override;
};

} // namespace platform
