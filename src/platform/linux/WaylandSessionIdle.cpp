#include "WaylandSessionIdle.h"

#include "MutterIdleMonitor.h"
#include "WaylandIdle.h"

namespace platform {

WaylandSessionIdle::WaylandSessionIdle(std::unique_ptr<IdleInput> gnome,
                                       std::unique_ptr<IdleInput> compositor)
    : gnome_(std::move(gnome)), compositor_(std::move(compositor))
{
}

WaylandSessionIdle::WaylandSessionIdle()
    : WaylandSessionIdle(std::make_unique<MutterIdleMonitor>(), std::make_unique<WaylandIdle>())
{
}

WaylandSessionIdle::~WaylandSessionIdle()
{
    stop();
}

bool WaylandSessionIdle::start(std::function<void()> onActivity)
{
    if (listening())
        return current_->start(std::move(onActivity));
    current_ = nullptr;
    for (IdleInput* source : {gnome_.get(), compositor_.get()}) {
        if (source && source->start(onActivity)) {
            current_ = source;
            return true;
        }
    }
    return false;
}

void WaylandSessionIdle::stop()
{
    if (current_)
        current_->stop();
    current_ = nullptr;
}

} // namespace platform
