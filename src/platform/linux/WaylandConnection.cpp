#include "WaylandConnection.h"

#include <QSocketNotifier>

#include <wayland-client.h>

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

void onGlobal(void* data, wl_registry*, uint32_t name, const char* interface, uint32_t version)
{
    static_cast<std::vector<WaylandConnection::Global>*>(data)->push_back(
        {name, interface, version});
}

void onGlobalRemove(void* data, wl_registry*, uint32_t name)
{
    auto* globals = static_cast<std::vector<WaylandConnection::Global>*>(data);
    std::erase_if(*globals, [name](const WaylandConnection::Global& g) { return g.name == name; });
}

const wl_registry_listener registryListener{onGlobal, onGlobalRemove};

void onDone(void* data, wl_callback*, uint32_t)
{
    *static_cast<bool*>(data) = true;
}

const wl_callback_listener doneListener{onDone};

} // namespace

WaylandConnection::~WaylandConnection()
{
    close();
}

bool WaylandConnection::open(int timeoutMs)
{
    if (display_)
        return true;
    // Without a socket name libwayland tries "wayland-0", which in an X11 session may be
    // someone else's compositor.
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (!name || !*name)
        return false;
    display_ = wl_display_connect(nullptr);
    if (!display_)
        return false;
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &registryListener, &globals_);
    if (!roundtrip(timeoutMs)) {
        close();
        return false;
    }
    return true;
}

void WaylandConnection::close()
{
    // Later: close() may run inside the notifier's own signal.
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
    }
    onLost_ = nullptr;
    if (registry_) {
        wl_registry_destroy(registry_);
        registry_ = nullptr;
    }
    if (display_) {
        wl_display_disconnect(display_);
        display_ = nullptr;
    }
    globals_.clear();
}

bool WaylandConnection::has(const char* interface) const
{
    return std::any_of(globals_.begin(), globals_.end(),
                       [interface](const Global& g) { return g.interface == interface; });
}

void* WaylandConnection::bind(const wl_interface* interface, uint32_t maxVersion)
{
    if (!registry_)
        return nullptr;
    for (const Global& g : globals_)
        if (g.interface == interface->name)
            return wl_registry_bind(registry_, g.name, interface, std::min(g.version, maxVersion));
    return nullptr;
}

void* WaylandConnection::bind(const Global& global, const wl_interface* interface,
                              uint32_t maxVersion)
{
    if (!registry_)
        return nullptr;
    return wl_registry_bind(registry_, global.name, interface,
                            std::min(global.version, maxVersion));
}

bool WaylandConnection::flush()
{
    if (!display_)
        return false;
    return wl_display_flush(display_) >= 0 || errno == EAGAIN;
}

bool WaylandConnection::roundtrip(int timeoutMs)
{
    if (!display_)
        return false;
    // wl_display_roundtrip() would wait for ever on a compositor that hangs, and this runs
    // on the UI thread.
    bool done = false;
    wl_callback* callback = wl_display_sync(display_);
    wl_callback_add_listener(callback, &doneListener, &done);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool ok = true;
    while (!done) {
        if (wl_display_dispatch_pending(display_) < 0) {
            ok = false;
            break;
        }
        if (done)
            break;
        if (wl_display_prepare_read(display_) != 0)
            continue;
        if (!flush()) {
            wl_display_cancel_read(display_);
            ok = false;
            break;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              deadline - std::chrono::steady_clock::now())
                              .count();
        pollfd fd{wl_display_get_fd(display_), POLLIN, 0};
        const int ready = left > 0 ? poll(&fd, 1, int(left)) : 0;
        if (ready <= 0) {
            wl_display_cancel_read(display_);
            if (ready < 0 && errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (wl_display_read_events(display_) < 0) {
            ok = false;
            break;
        }
    }
    wl_callback_destroy(callback);
    return ok && done;
}

void WaylandConnection::watch(std::function<void()> onLost)
{
    onLost_ = std::move(onLost);
    if (!display_ || notifier_)
        return;
    notifier_ =
        std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { dispatch(); });
    flush();
}

void WaylandConnection::dispatch()
{
    bool lost = false;
    while (!lost && wl_display_prepare_read(display_) != 0)
        lost = wl_display_dispatch_pending(display_) < 0;
    if (!lost)
        lost = wl_display_read_events(display_) < 0 || wl_display_dispatch_pending(display_) < 0;
    if (!lost)
        lost = !flush();
    if (!lost || !notifier_)
        return;
    // The socket stays readable at end of file: stop watching it.
    notifier_->setEnabled(false);
    if (auto report = std::move(onLost_))
        report();
}

} // namespace platform
