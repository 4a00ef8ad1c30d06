#pragma once

#include <functional>

namespace platform {

//! Reports keyboard key-downs and pointer movement anywhere on the desktop. Clicks and
//! wheel turns are not reported where the system tells them apart (on Wayland desktops
//! every input counts). Callbacks arrive on the UI thread.
class IdleInput {
public:
    virtual ~IdleInput() = default;
    //! Starts listening; false when the system offers no such signal.
    virtual bool start(std::function<void()> onActivity) = 0;
    virtual void stop() = 0;
    virtual bool listening() const = 0;
    //! Whether the system can tell input at all; asked when the idle rule is armed, so
    //! that a rule that would never hear the user is refused instead of acting blind.
    virtual bool available()
    {
        if (listening())
            return true;
        if (!start([] {}))
            return false;
        stop();
        return true;
    }
};

} // namespace platform
