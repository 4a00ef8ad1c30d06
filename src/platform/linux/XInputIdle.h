#pragma once

#include "platform/IdleInput.h"

#include <QSocketNotifier>

#include <map>
#include <memory>
#include <set>

typedef struct _XDisplay Display;

namespace platform {

//! Key presses and pointer movement of the whole X display, from XInput2 raw events on
//! the root window (delivered whichever client has the focus or a grab). It keeps a
//! connection of its own, watched on the thread that called start().
class XInputIdle : public IdleInput {
public:
    XInputIdle() = default;
    ~XInputIdle() override;
    XInputIdle(const XInputIdle&) = delete;
    XInputIdle& operator=(const XInputIdle&) = delete;

    bool start(std::function<void()> onActivity) override;
    void stop() override;
    bool listening() const override { return display_ != nullptr; }

private:
    void drain();
    bool isMovement(int device, const unsigned char* mask, int maskLen);
    const std::set<int>& scrollValuators(int device);

    Display* display_ = nullptr;
    int opcode_ = 0;
    bool lost_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> onActivity_;
    // Wheel turns on smooth-scrolling devices arrive as motion on their scroll axes.
    std::map<int, std::set<int>> scrollAxes_;
};

} // namespace platform
