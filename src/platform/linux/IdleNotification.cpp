#include "IdleNotification.h"

#include "WaylandConnection.h"

#include <ext-idle-notify-v1-client-protocol.h>
#include <idle-client-protocol.h>
#include <wayland-client.h>

namespace platform {

namespace {

void extIdled(void* data, ext_idle_notification_v1*)
{
    static_cast<IdleNotification*>(data)->idled();
}

void extResumed(void* data, ext_idle_notification_v1*)
{
    static_cast<IdleNotification*>(data)->resumed();
}

const ext_idle_notification_v1_listener extListener{extIdled, extResumed};

void kdeIdled(void* data, org_kde_kwin_idle_timeout*)
{
    static_cast<IdleNotification*>(data)->idled();
}

void kdeResumed(void* data, org_kde_kwin_idle_timeout*)
{
    static_cast<IdleNotification*>(data)->resumed();
}

const org_kde_kwin_idle_timeout_listener kdeListener{kdeIdled, kdeResumed};

} // namespace

IdleNotification::Protocol IdleNotification::subscribe(WaylandConnection& connection, wl_seat* seat,
                                                       std::uint32_t timeoutMs,
                                                       std::function<void()> idled,
                                                       std::function<void()> resumed)
{
    release();
    idled_ = std::move(idled);
    resumed_ = std::move(resumed);
    if ((notifier_ = static_cast<ext_idle_notifier_v1*>(
             connection.bind(&ext_idle_notifier_v1_interface, 1)))) {
        notification_ = ext_idle_notifier_v1_get_idle_notification(notifier_, timeoutMs, seat);
        ext_idle_notification_v1_add_listener(notification_, &extListener, this);
        protocol_ = Protocol::ExtIdleNotify;
    } else if ((kdeIdle_ = static_cast<org_kde_kwin_idle*>(
                    connection.bind(&org_kde_kwin_idle_interface, 1)))) {
        kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat, timeoutMs);
        org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kdeListener, this);
        protocol_ = Protocol::KdeIdle;
    }
    return protocol_;
}

void IdleNotification::release()
{
    if (notification_)
        ext_idle_notification_v1_destroy(notification_);
    if (notifier_)
        ext_idle_notifier_v1_destroy(notifier_);
    if (kdeTimeout_)
        org_kde_kwin_idle_timeout_release(kdeTimeout_);
    if (kdeIdle_)
        org_kde_kwin_idle_destroy(kdeIdle_);
    notification_ = nullptr;
    notifier_ = nullptr;
    kdeTimeout_ = nullptr;
    kdeIdle_ = nullptr;
    protocol_ = Protocol::None;
}

} // namespace platform
