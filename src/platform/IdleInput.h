#pragma once

#include <functional>

namespace platform {

//! Reports keyboard key-downs and pointer movement anywhere on the desktop.
//! Clicks and wheel turns are not reported. Callbacks arrive on the UI thread.
class IdleInput {
public:
    virtual ~IdleInput() = default;
    //! Starts listening; false when the system offers no such signal.
    virtual bool start(std::function<void()> onActivity) = 0;
    virtual void stop() = 0;
    virtual bool listening() const = 0;
};

} // namespace platform
