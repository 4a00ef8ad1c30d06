#pragma once

#include "IdleNotification.h"
#include "ScreenOff.h"
#include "WaylandConnection.h"

#include <memory>
#include <vector>

class QObject;
struct wl_output;
struct wl_seat;
struct zwlr_output_power_manager_v1;
struct zwlr_output_power_v1;

namespace platform {

//! wlroots compositors: every output off through the output power protocol. The compositor
//! leaves them off until told otherwise, so an idle notification of our own switches them
//! on again at the next input, as a screen turned off by the system would come back.
class WlrScreenOff : public ScreenOff {
public:
    WlrScreenOff();
    ~WlrScreenOff() override;
    WlrScreenOff(const WlrScreenOff&) = delete;
    WlrScreenOff& operator=(const WlrScreenOff&) = delete;

    //! Whether the compositor offers output power control and a way to see input.
    bool available() override;
    bool turnOff() override;
    //! True while our outputs are off and we wait for input.
    bool off() const { return !outputs_.empty(); }

    //! Called by the protocol listener.
    void failed(zwlr_output_power_v1* power);

private:
    bool connect();
    void disconnect();
    //! Every output back on and our hold on them let go.
    void turnOn();
    void forgetIdle();
    void resumed();

    WaylandConnection connection_;
    std::unique_ptr<QObject> context_;
    zwlr_output_power_manager_v1* manager_ = nullptr;
    wl_seat* seat_ = nullptr;
    struct Output {
        wl_output* output = nullptr;
        zwlr_output_power_v1* power = nullptr;
    };
    std::vector<Output> outputs_;
    IdleNotification notification_;
    bool idle_ = false;
};

} // namespace platform
