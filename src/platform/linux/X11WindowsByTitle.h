#pragma once

#include "platform/WindowsByTitle.h"

struct _XDisplay;

namespace platform {

//! Windows of any X client found by exact title (_NET_WM_NAME, else WM_NAME) among the
//! top-level windows and the clients inside window-manager frames; unmapped ones count.
//! One connection to $DISPLAY is opened at the first call and kept, since opening one costs
//! far more than a look over the windows; without a display nothing is found.
class X11WindowsByTitle : public WindowsByTitle {
public:
    X11WindowsByTitle() = default;
    ~X11WindowsByTitle() override;
    X11WindowsByTitle(const X11WindowsByTitle&) = delete;
    X11WindowsByTitle& operator=(const X11WindowsByTitle&) = delete;

    bool exists(const std::u16string& title) override;
    //! Sends WM_DELETE_WINDOW, as the close button does; false when no window with this
    //! title takes that message. The client is never killed.
    bool requestClose(const std::u16string& title) override;
    //! One walk over the window tree for all the titles.
    std::vector<std::u16string>
    requestCloseEach(const std::vector<std::u16string>& titles) override;

private:
    //! The kept connection, opened when missing; null without a display.
    _XDisplay* display();

    _XDisplay* display_ = nullptr;
};

} // namespace platform
