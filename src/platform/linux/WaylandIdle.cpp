#include "WaylandIdle.h"

#include <QTimer>

#include <ext-idle-notify-v1-client-protocol.h>
#include <idle-client-protocol.h>
#include <wayland-client.h>

namespace platform {

namespace {

void extIdled(void* data, ext_idle_notification_v1*)
{
    static_cast<WaylandIdle*>(data)->idled();
}

void extResumed(void* data, ext_idle_notification_v1*)
{
    static_cast<WaylandIdle*>(data)->resumed();
}

const ext_idle_notification_v1_listener extListener{extIdled, extResumed};

void kdeIdled(void* data, org_kde_kwin_idle_timeout*)
{
    static_cast<WaylandIdle*>(data)->idled();
}

void kdeResumed(void* data, org_kde_kwin_idle_timeout*)
{
    static_cast<WaylandIdle*>(data)->resumed();
}

const org_kde_kwin_idle_timeout_listener kdeListener{kdeIdled, kdeResumed};

} // namespace

WaylandIdle::WaylandIdle() = default;

WaylandIdle::~WaylandIdle()
{
    stop();
}

bool WaylandIdle::start(std::function<void()> onActivity)
{
    if (protocol_ != Protocol::None) {
        onActivity_ = std::move(onActivity);
        return true;
    }
    if (!connection_.open())
        return false;
    seat_ = static_cast<wl_seat*>(connection_.bind(&wl_seat_interface, 1));
    if (seat_) {
        notifier_ = static_cast<ext_idle_notifier_v1*>(
            connection_.bind(&ext_idle_notifier_v1_interface, 1));
        if (notifier_) {
            notification_ =
                ext_idle_notifier_v1_get_idle_notification(notifier_, kThresholdMs, seat_);
            ext_idle_notification_v1_add_listener(notification_, &extListener, this);
            protocol_ = Protocol::ExtIdleNotify;
        } else if ((kdeIdle_ = static_cast<org_kde_kwin_idle*>(
                        connection_.bind(&org_kde_kwin_idle_interface, 1)))) {
            kdeTimeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, kThresholdMs);
            org_kde_kwin_idle_timeout_add_listener(kdeTimeout_, &kdeListener, this);
            protocol_ = Protocol::KdeIdle;
        }
    }
    // The compositor may refuse the request with a protocol error: ask before trusting it.
    if (protocol_ == Protocol::None || !connection_.roundtrip()) {
        stop();
        return false;
    }
    onActivity_ = std::move(onActivity);
    idle_ = false;
    context_ = std::make_unique<QObject>();
    inUse_ = new QTimer(context_.get());
    inUse_->setInterval(kThresholdMs);
    QObject::connect(inUse_, &QTimer::timeout, context_.get(), [this] { report(); });
    inUse_->start();
    connection_.watch([this] {
        // The compositor is gone: stop, so that the owner's next start() connects anew.
        QMetaObject::invokeMethod(
            context_.get(), [this] { stop(); }, Qt::QueuedConnection);
    });
    return true;
}

void WaylandIdle::stop()
{
    if (context_) {
        // Later: stop() may run inside one of the context's own slots.
        context_.release()->deleteLater();
        inUse_->stop();
        inUse_ = nullptr;
    }
    if (notification_)
        ext_idle_notification_v1_destroy(notification_);
    if (notifier_)
        ext_idle_notifier_v1_destroy(notifier_);
    if (kdeTimeout_)
        org_kde_kwin_idle_timeout_release(kdeTimeout_);
    if (kdeIdle_)
        org_kde_kwin_idle_destroy(kdeIdle_);
    if (seat_)
        wl_seat_destroy(seat_);
    notification_ = nullptr;
    notifier_ = nullptr;
    kdeTimeout_ = nullptr;
    kdeIdle_ = nullptr;
    seat_ = nullptr;
    connection_.flush();
    connection_.close();
    protocol_ = Protocol::None;
    onActivity_ = nullptr;
}

void WaylandIdle::idled()
{
    idle_ = true;
}

void WaylandIdle::resumed()
{
    idle_ = false;
    if (context_)
        QMetaObject::invokeMethod(
            context_.get(), [this] { report(); }, Qt::QueuedConnection);
}

void WaylandIdle::report()
{
    if (idle_ || !onActivity_)
        return;
    auto onActivity = onActivity_;
    onActivity();
}

} // namespace platform
