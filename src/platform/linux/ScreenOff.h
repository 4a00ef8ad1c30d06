#pragma once

#include <memory>

namespace platform {

//! One way of turning the display off on this desktop.
class ScreenOff {
public:
    virtual ~ScreenOff() = default;
    //! False when the desktop does not offer this way now.
    virtual bool available() = 0;
    //! Asks for the display to go off until the next key press or pointer movement;
    //! false when the request could not be made.
    virtual bool turnOff() = 0;
};

//! X11 DPMS on $DISPLAY. Always offered: a server without DPMS simply leaves the screen on.
std::unique_ptr<ScreenOff> makeX11ScreenOff();

} // namespace platform
