#pragma once

#include "platform/IdleInput.h"

namespace platform {

//! Low-level keyboard and mouse hooks: the system calls them on the thread that installed
//! them, through its message loop, so the callback runs on the UI thread.
class WinIdleInput : public IdleInput {
public:
    WinIdleInput() = default;
    ~WinIdleInput() override;
    WinIdleInput(const WinIdleInput&) = delete;
    WinIdleInput& operator=(const WinIdleInput&) = delete;

    bool start(std::function<void()> onActivity) override;
    void stop() override;
    bool listening() const override { return keyboard_ != nullptr; }

    //! What the hooks count as use of the machine (a message of WH_KEYBOARD_LL or
    //! WH_MOUSE_LL): key-downs and pointer movement, not releases, clicks or the wheel.
    static bool IsKeyActivity(unsigned message);
    static bool IsMouseActivity(unsigned message);

private:
    void* keyboard_ = nullptr;
    void* mouse_ = nullptr;
    std::function<void()> onActivity_;
};

} // namespace platform
