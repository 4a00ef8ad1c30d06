#pragma once

#include "platform/IdleInput.h"

#include <memory>

namespace platform {

//! Input activity in a Wayland session, from the first source the desktop offers: GNOME's
//! idle monitor, then the compositor's idle notifications. XInput2 is of no use here: it
//! sees only X clients, so a user typing into native windows would look idle.
class WaylandSessionIdle : public IdleInput {
public:
    //! The sources in the order they are tried.
    explicit WaylandSessionIdle(std::unique_ptr<IdleInput> gnome,
                                std::unique_ptr<IdleInput> compositor);
    WaylandSessionIdle();
    ~WaylandSessionIdle() override;

    bool start(std::function<void()> onActivity) override;
    void stop() override;
    bool listening() const override { return current_ && current_->listening(); }

    //! The source that listens now; null when none does.
    const IdleInput* current() const { return listening() ? current_ : nullptr; }

private:
    std::unique_ptr<IdleInput> gnome_;
    std::unique_ptr<IdleInput> compositor_;
    IdleInput* current_ = nullptr;
};

} // namespace platform
