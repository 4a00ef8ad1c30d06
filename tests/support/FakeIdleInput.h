#pragma once

#include "platform/IdleInput.h"

//! An idle signal the test fires by hand.
class FakeIdleInput : public platform::IdleInput {
public:
    //! When set, start() fails and available() is false, as without a display.
    bool refuse = false;
    int starts = 0;

    bool start(std::function<void()> onActivity) override
    {
        if (refuse)
            return false;
        ++starts;
        onActivity_ = std::move(onActivity);
        return true;
    }
    void stop() override { onActivity_ = nullptr; }
    bool available() override { return !refuse; }
    bool listening() const override { return bool(onActivity_); }

    //! A key press or a movement; nothing when nobody listens.
    void Activity()
    {
        if (onActivity_)
            onActivity_();
    }

private:
    std::function<void()> onActivity_;
};
