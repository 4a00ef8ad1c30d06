#pragma once

#include <QSocketNotifier>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct wl_interface;
struct wl_registry;

namespace platform {

//! A Wayland connection of our own, apart from the one Qt may have (the program may run on
//! XWayland). It lists the compositor's globals once, binds them on request and, once
//! watched, dispatches events on the thread that called watch().
class WaylandConnection {
public:
    struct Global {
        uint32_t name;
        std::string interface;
        uint32_t version;
    };

    WaylandConnection() = default;
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    //! Connects to WAYLAND_DISPLAY and reads the globals; false when there is no compositor
    //! or it does not answer within `timeoutMs`.
    bool open(int timeoutMs = 300);
    void close();
    bool isOpen() const { return display_ != nullptr; }
    wl_display* display() const { return display_; }

    const std::vector<Global>& globals() const { return globals_; }
    bool has(const char* interface) const;
    //! Binds the first global of `interface` at its version or `maxVersion`, whichever is
    //! lower; null when the compositor has none. The caller owns the proxy.
    void* bind(const wl_interface* interface, uint32_t maxVersion);
    //! Binds this one global, for interfaces with several (outputs).
    void* bind(const Global& global, const wl_interface* interface, uint32_t maxVersion);

    //! Waits until the compositor has handled every request sent so far and their events
    //! are dispatched; false on timeout or a broken connection.
    bool roundtrip(int timeoutMs = 300);
    //! Sends what is queued; false when the connection is broken.
    bool flush();

    //! Dispatches events as they arrive. `onLost` runs once when the connection breaks
    //! (the compositor ended or sent a protocol error); the connection stays open until
    //! close(), so the owner can destroy its proxies first.
    void watch(std::function<void()> onLost);

private:
    void dispatch();

    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    std::vector<Global> globals_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::function<void()> onLost_;
};

} // namespace platform
