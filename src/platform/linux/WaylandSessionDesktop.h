#pragma once

#include "ScreenOff.h"
#include "platform/WindowsByTitle.h"

#include <chrono>
#include <memory>
#include <vector>

namespace platform {

//! Windows by title in a Wayland session, from whichever of the desktop's ways answers
//! first: wlroots' foreign toplevels, KWin's scripting, GNOME Shell through our extension.
//! The first that answers is kept; while none does, they are asked again now and then, so
//! a desktop that comes up after us (or an extension switched on later) is still found.
class WaylandSessionWindows : public WindowsByTitle {
public:
    //! Candidates in the order they are asked.
    explicit WaylandSessionWindows(std::vector<std::unique_ptr<WindowsByTitle>> candidates);
    //! wlroots, KWin, GNOME Shell on the session's own bus and display.
    WaylandSessionWindows();

    bool available() override { return current() != nullptr; }
    bool exists(const std::u16string& title) override;
    bool requestClose(const std::u16string& title) override;
    std::vector<std::u16string>
    requestCloseEach(const std::vector<std::u16string>& titles) override;

private:
    WindowsByTitle* current();

    std::vector<std::unique_ptr<WindowsByTitle>> candidates_;
    WindowsByTitle* current_ = nullptr;
    std::chrono::steady_clock::time_point nextLook_{};
};

//! Screen off in a Wayland session, chosen the same way: wlroots' output power, GNOME's
//! Mutter, KDE's power management.
class WaylandSessionScreenOff : public ScreenOff {
public:
    explicit WaylandSessionScreenOff(std::vector<std::unique_ptr<ScreenOff>> candidates);
    WaylandSessionScreenOff();

    bool available() override { return current() != nullptr; }
    bool turnOff() override;

private:
    ScreenOff* current();

    std::vector<std::unique_ptr<ScreenOff>> candidates_;
    ScreenOff* current_ = nullptr;
    std::chrono::steady_clock::time_point nextLook_{};
};

} // namespace platform
