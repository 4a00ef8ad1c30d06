#include "WaylandIdle.h"

#include <QTimer>

#include <wayland-client.h>

namespace platform {

WaylandIdle::WaylandIdle() = default;

WaylandIdle::~WaylandIdle()
{
    stop();
}

bool WaylandIdle::start(std::function<void()> onActivity)
{
    if (listening()) {
        onActivity_ = std::move(onActivity);
        return true;
    }
    if (!connection_.open())
        return false;
    seat_ = static_cast<wl_seat*>(connection_.bind(&wl_seat_interface, 1));
    if (seat_)
        notification_.subscribe(
            connection_, seat_, kThresholdMs, [this] { idle_ = true; }, [this] { resumed(); });
    // The compositor may refuse the request with a protocol error: ask before trusting it.
    if (!listening() || !connection_.roundtrip()) {
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
    notification_.release();
    if (seat_)
        wl_seat_destroy(seat_);
    seat_ = nullptr;
    connection_.flush();
    connection_.close();
    onActivity_ = nullptr;
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
