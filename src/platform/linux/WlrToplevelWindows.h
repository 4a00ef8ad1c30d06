#pragma once

#include "WaylandConnection.h"
#include "platform/WindowsByTitle.h"

#include <memory>
#include <string>
#include <vector>

class QObject;
struct zwlr_foreign_toplevel_manager_v1;
struct zwlr_foreign_toplevel_handle_v1;

namespace platform {

//! wlroots compositors (sway and others): windows by title through the foreign toplevel
//! protocol, over a Wayland connection of our own. The compositor tells us of every window
//! and its title as they change, so a look costs no round trip; closing is the protocol's
//! close request, which the compositor passes on as the close button would.
class WlrToplevelWindows : public WindowsByTitle {
public:
    struct Toplevel {
        WlrToplevelWindows* owner = nullptr;
        zwlr_foreign_toplevel_handle_v1* handle = nullptr;
        std::string title; // UTF-8
    };

    WlrToplevelWindows() = default;
    ~WlrToplevelWindows() override;
    WlrToplevelWindows(const WlrToplevelWindows&) = delete;
    WlrToplevelWindows& operator=(const WlrToplevelWindows&) = delete;

    //! Whether the compositor offers the protocol (connecting on first use).
    bool available() override;
    bool exists(const std::u16string& title) override;
    bool requestClose(const std::u16string& title) override;
    std::vector<std::u16string>
    requestCloseEach(const std::vector<std::u16string>& titles) override;

    //! Called by the protocol listeners.
    void added(zwlr_foreign_toplevel_handle_v1* handle);
    void closed(Toplevel* toplevel);
    void finished();

private:
    //! Connects and learns the windows when not connected; false without the protocol.
    bool connect();
    void disconnect();

    WaylandConnection connection_;
    std::unique_ptr<QObject> context_;
    zwlr_foreign_toplevel_manager_v1* manager_ = nullptr;
    std::vector<std::unique_ptr<Toplevel>> toplevels_;
};

} // namespace platform
