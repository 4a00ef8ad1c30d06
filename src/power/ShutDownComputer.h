#pragma once

namespace platform {
struct Platform;
}

//! Carries out one power action by PowerMode (0 关机, 1 重启, 2 待机, 3 休眠, 4 注销,
//! 5 关闭屏幕) through the system's binding. Only success or failure is reported; the
//! caller shows any message.
class ShutDownComputer {
public:
    explicit ShutDownComputer(platform::Platform& platform) : platform_(platform) {}

    //! True when the system accepted the action. A mode outside 0 to 5 (a mode list with
    //! nothing selected gives -1) and a system without a power binding give false.
    bool RunPowerMode(int mode) const;

private:
    platform::Platform& platform_;
};
