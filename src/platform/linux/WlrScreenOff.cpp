#include "WlrScreenOff.h"

#include <QMetaObject>
#include <QObject>

#include <ext-idle-notify-v1-client-protocol.h>
#include <idle-client-protocol.h>
#include <wayland-client.h>
#include <wlr-output-power-management-unstable-v1-client-protocol.h>

#include <algorithm>

namespace platform {

namespace {

// Quiet this long after the screen went off before input counts as coming back, so the
// very key press or movement that raced the request does not undo it at once.
constexpr uint32_t kSettleMs = 500;

void powerMode(void*, zwlr_output_power_v1*, uint32_t) {}

void powerFailed(void* data, zwlr_output_power_v1* power)
{
    static_cast<WlrScreenOff*>(data)->failed(power);
}

const zwlr_output_power_v1_listener powerListener{powerMode, powerFailed};

} // namespace

WlrScreenOff::WlrScreenOff() = default;

WlrScreenOff::~WlrScreenOff()
{
    // A screen we turned off must not stay dark because we ended.
    turnOn();
    // Gone now, with any call still queued on it.
    context_.reset();
    disconnect();
}

bool WlrScreenOff::connect()
{
    if (manager_)
        return true;
    if (!connection_.open())
        return false;
    manager_ = static_cast<zwlr_output_power_manager_v1*>(
        connection_.bind(&zwlr_output_power_manager_v1_interface, 1));
    seat_ = static_cast<wl_seat*>(connection_.bind(&wl_seat_interface, 1));
    // Without a way to see input the screen could not be brought back.
    const bool seesInput = connection_.has(ext_idle_notifier_v1_interface.name) ||
                           connection_.has(org_kde_kwin_idle_interface.name);
    if (!manager_ || !seat_ || !seesInput || !connection_.has(wl_output_interface.name)) {
        disconnect();
        return false;
    }
    context_ = std::make_unique<QObject>();
    connection_.watch([this] {
        QMetaObject::invokeMethod(
            context_.get(), [this] { disconnect(); }, Qt::QueuedConnection);
    });
    return true;
}

void WlrScreenOff::disconnect()
{
    forgetIdle();
    for (const Output& o : outputs_) {
        if (o.power)
            zwlr_output_power_v1_destroy(o.power);
        wl_output_destroy(o.output);
    }
    outputs_.clear();
    if (manager_)
        zwlr_output_power_manager_v1_destroy(manager_);
    if (seat_)
        wl_seat_destroy(seat_);
    manager_ = nullptr;
    seat_ = nullptr;
    connection_.flush();
    connection_.close();
    if (context_)
        context_.release()->deleteLater(); // may be inside its own slot
}

bool WlrScreenOff::available()
{
    return connect();
}

bool WlrScreenOff::turnOff()
{
    if (!connect())
        return false;
    if (off())
        return true; // still off from the last time, still waiting for input
    for (const WaylandConnection::Global& g : connection_.globals()) {
        if (g.interface != wl_output_interface.name)
            continue;
        Output o;
        o.output = static_cast<wl_output*>(connection_.bind(g, &wl_output_interface, 1));
        o.power = zwlr_output_power_manager_v1_get_output_power(manager_, o.output);
        zwlr_output_power_v1_add_listener(o.power, &powerListener, this);
        zwlr_output_power_v1_set_mode(o.power, ZWLR_OUTPUT_POWER_V1_MODE_OFF);
        outputs_.push_back(o);
    }
    // Listen for input only once the screen is dark.
    notification_.subscribe(
        connection_, seat_, kSettleMs, [this] { idle_ = true; }, [this] { resumed(); });
    // The compositor answers at once; an output it will not switch says "failed".
    const bool answered = connection_.roundtrip();
    const bool anyOff = std::any_of(outputs_.begin(), outputs_.end(),
                                    [](const Output& o) { return o.power != nullptr; });
    if (!answered || !anyOff) {
        turnOn();
        return false;
    }
    return true;
}

void WlrScreenOff::failed(zwlr_output_power_v1* power)
{
    for (Output& o : outputs_)
        if (o.power == power) {
            zwlr_output_power_v1_destroy(o.power);
            o.power = nullptr;
        }
}

void WlrScreenOff::resumed()
{
    if (!idle_)
        return;
    idle_ = false;
    QMetaObject::invokeMethod(
        context_.get(), [this] { turnOn(); }, Qt::QueuedConnection);
}

void WlrScreenOff::forgetIdle()
{
    notification_.release();
    idle_ = false;
}

void WlrScreenOff::turnOn()
{
    forgetIdle();
    for (const Output& o : outputs_) {
        if (o.power) {
            zwlr_output_power_v1_set_mode(o.power, ZWLR_OUTPUT_POWER_V1_MODE_ON);
            zwlr_output_power_v1_destroy(o.power);
        }
        wl_output_destroy(o.output);
    }
    outputs_.clear();
    connection_.flush();
}

} // namespace platform
