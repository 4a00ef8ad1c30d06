#pragma once

#include <cstdint>
#include <functional>

struct wl_seat;
struct ext_idle_notifier_v1;
struct ext_idle_notification_v1;
struct org_kde_kwin_idle;
struct org_kde_kwin_idle_timeout;

namespace platform {

class WaylandConnection;

//! One "idle for this long" / "in use again" subscription on a Wayland seat, through
//! ext-idle-notify-v1 or, where only that is offered, the older org_kde_kwin_idle.
//! The callbacks run inside libwayland's dispatch: they must not end the subscription.
class IdleNotification {
public:
    enum class Protocol { None, ExtIdleNotify, KdeIdle };

    IdleNotification() = default;
    ~IdleNotification() { release(); }
    IdleNotification(const IdleNotification&) = delete;
    IdleNotification& operator=(const IdleNotification&) = delete;

    //! The protocol used, or None when the compositor offers neither.
    Protocol subscribe(WaylandConnection& connection, wl_seat* seat, std::uint32_t timeoutMs,
                       std::function<void()> idled, std::function<void()> resumed);
    void release();
    Protocol protocol() const { return protocol_; }

    //! Called by the protocol listeners.
    void idled() const { idled_(); }
    void resumed() const { resumed_(); }

private:
    Protocol protocol_ = Protocol::None;
    ext_idle_notifier_v1* notifier_ = nullptr;
    ext_idle_notification_v1* notification_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    org_kde_kwin_idle_timeout* kdeTimeout_ = nullptr;
    std::function<void()> idled_;
    std::function<void()> resumed_;
};

} // namespace platform
