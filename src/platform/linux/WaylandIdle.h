#pragma once

#include "IdleNotification.h"
#include "WaylandConnection.h"
#include "platform/IdleInput.h"

#include <QObject>

#include <memory>

class QTimer;
struct wl_seat;

namespace platform {

//! Input activity of a Wayland seat, from the compositor's idle notifications:
//! ext-idle-notify-v1, or the older org_kde_kwin_idle where only that is offered.
//! Both say only "idle for a second" and "in use again", so while the seat is in use
//! activity is reported every second; every kind of input counts, clicks included.
class WaylandIdle : public IdleInput {
public:
    using Protocol = IdleNotification::Protocol;

    //! Idle this long before the compositor says so; also the report period while in use.
    static constexpr int kThresholdMs = 1000;

    WaylandIdle();
    ~WaylandIdle() override;
    WaylandIdle(const WaylandIdle&) = delete;
    WaylandIdle& operator=(const WaylandIdle&) = delete;

    bool start(std::function<void()> onActivity) override;
    void stop() override;
    bool listening() const override { return notification_.protocol() != Protocol::None; }
    Protocol protocol() const { return notification_.protocol(); }

private:
    void resumed();
    void report();

    WaylandConnection connection_;
    bool idle_ = false;
    wl_seat* seat_ = nullptr;
    IdleNotification notification_;
    // Reports are queued on this object: the listeners run inside libwayland's dispatch,
    // where the owner must not be called (it may stop us).
    std::unique_ptr<QObject> context_;
    QTimer* inUse_ = nullptr;
    std::function<void()> onActivity_;
};

} // namespace platform
