#include "WlrToplevelWindows.h"

#include <QMetaObject>
#include <QObject>
#include <QString>

#include <wayland-client.h>
#include <wlr-foreign-toplevel-management-unstable-v1-client-protocol.h>

#include <algorithm>

namespace platform {

namespace {

// The highest version whose events we know: with a newer one the compositor could send
// events without a listener slot, which libwayland treats as fatal.
constexpr uint32_t kManagerVersion = 3;

std::string toUtf8(const std::u16string& text)
{
    return QString::fromStdU16String(text).toStdString();
}

void onToplevel(void* data, zwlr_foreign_toplevel_manager_v1*,
                zwlr_foreign_toplevel_handle_v1* handle)
{
    static_cast<WlrToplevelWindows*>(data)->added(handle);
}

void onFinished(void* data, zwlr_foreign_toplevel_manager_v1*)
{
    static_cast<WlrToplevelWindows*>(data)->finished();
}

const zwlr_foreign_toplevel_manager_v1_listener managerListener{onToplevel, onFinished};

using Toplevel = WlrToplevelWindows::Toplevel;

void onTitle(void* data, zwlr_foreign_toplevel_handle_v1*, const char* title)
{
    static_cast<Toplevel*>(data)->title = title ? title : "";
}

void onClosed(void* data, zwlr_foreign_toplevel_handle_v1*)
{
    auto* toplevel = static_cast<Toplevel*>(data);
    toplevel->owner->closed(toplevel);
}

void onAppId(void*, zwlr_foreign_toplevel_handle_v1*, const char*) {}
void onOutput(void*, zwlr_foreign_toplevel_handle_v1*, wl_output*) {}
void onState(void*, zwlr_foreign_toplevel_handle_v1*, wl_array*) {}
void onDone(void*, zwlr_foreign_toplevel_handle_v1*) {}
void onParent(void*, zwlr_foreign_toplevel_handle_v1*, zwlr_foreign_toplevel_handle_v1*) {}

const zwlr_foreign_toplevel_handle_v1_listener handleListener{onTitle, onAppId, onOutput, onOutput,
                                                              onState, onDone,  onClosed, onParent};

} // namespace

WlrToplevelWindows::~WlrToplevelWindows()
{
    // Gone now, with any call still queued on it.
    context_.reset();
    disconnect();
}

bool WlrToplevelWindows::connect()
{
    if (manager_)
        return true;
    if (!connection_.open())
        return false;
    manager_ = static_cast<zwlr_foreign_toplevel_manager_v1*>(
        connection_.bind(&zwlr_foreign_toplevel_manager_v1_interface, kManagerVersion));
    if (!manager_) {
        connection_.close();
        return false;
    }
    zwlr_foreign_toplevel_manager_v1_add_listener(manager_, &managerListener, this);
    // Two trips: the first brings the windows, the second their titles.
    if (!connection_.roundtrip() || !connection_.roundtrip()) {
        disconnect();
        return false;
    }
    context_ = std::make_unique<QObject>();
    connection_.watch([this] {
        // The compositor is gone; the next use connects anew. Not from inside the dispatch,
        // and not at all once we are gone.
        QMetaObject::invokeMethod(
            context_.get(), [this] { disconnect(); }, Qt::QueuedConnection);
    });
    return true;
}

void WlrToplevelWindows::disconnect()
{
    for (const auto& toplevel : toplevels_)
        zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    toplevels_.clear();
    if (manager_) {
        zwlr_foreign_toplevel_manager_v1_stop(manager_);
        zwlr_foreign_toplevel_manager_v1_destroy(manager_);
        manager_ = nullptr;
    }
    connection_.flush();
    connection_.close();
    if (context_)
        context_.release()->deleteLater(); // may be inside its own slot
}

void WlrToplevelWindows::added(zwlr_foreign_toplevel_handle_v1* handle)
{
    auto toplevel = std::make_unique<Toplevel>();
    toplevel->owner = this;
    toplevel->handle = handle;
    zwlr_foreign_toplevel_handle_v1_add_listener(handle, &handleListener, toplevel.get());
    toplevels_.push_back(std::move(toplevel));
}

void WlrToplevelWindows::closed(Toplevel* toplevel)
{
    zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    std::erase_if(toplevels_, [toplevel](const auto& t) { return t.get() == toplevel; });
}

void WlrToplevelWindows::finished()
{
    // The compositor stopped telling us of windows: what we know goes stale.
    for (const auto& toplevel : toplevels_)
        zwlr_foreign_toplevel_handle_v1_destroy(toplevel->handle);
    toplevels_.clear();
    zwlr_foreign_toplevel_manager_v1_destroy(manager_);
    manager_ = nullptr;
}

bool WlrToplevelWindows::available()
{
    return connect();
}

bool WlrToplevelWindows::exists(const std::u16string& title)
{
    if (title.empty() || !connect())
        return false;
    const std::string wanted = toUtf8(title);
    return std::any_of(toplevels_.begin(), toplevels_.end(),
                       [&](const auto& t) { return t->title == wanted; });
}

bool WlrToplevelWindows::requestClose(const std::u16string& title)
{
    return !requestCloseEach({title}).empty();
}

std::vector<std::u16string>
WlrToplevelWindows::requestCloseEach(const std::vector<std::u16string>& titles)
{
    std::vector<std::u16string> closed;
    if (titles.empty() || !connect())
        return closed;
    for (const auto& title : titles) {
        if (title.empty() || std::find(closed.begin(), closed.end(), title) != closed.end())
            continue;
        const std::string wanted = toUtf8(title);
        const auto found = std::find_if(toplevels_.begin(), toplevels_.end(),
                                        [&](const auto& t) { return t->title == wanted; });
        if (found == toplevels_.end())
            continue;
        zwlr_foreign_toplevel_handle_v1_close((*found)->handle);
        closed.push_back(title);
    }
    if (!closed.empty())
        connection_.flush();
    return closed;
}

} // namespace platform
