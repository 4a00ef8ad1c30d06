#include "XInputIdle.h"

#include <QSocketNotifier>

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

namespace platform {

namespace {

// Xlib ends the process when a connection breaks: its default I/O error handler exits, and
// so does the default exit handler after it. For our own connection a lost display only
// ends the listening (the rule connects again later); other connections keep the default.
XIOErrorHandler previousIoHandler = nullptr;
Display* listeningDisplay = nullptr;

int ioError(Display* d)
{
    if (d == listeningDisplay)
        return 0;
    return previousIoHandler ? previousIoHandler(d) : 0;
}

void keepRunning(Display*, void* lost)
{
    *static_cast<bool*>(lost) = true;
}

} // namespace

XInputIdle::~XInputIdle()
{
    stop();
}

bool XInputIdle::start(std::function<void()> onActivity)
{
    if (display_) {
        onActivity_ = std::move(onActivity);
        return true;
    }
    Display* d = XOpenDisplay(nullptr);
    if (!d)
        return false;
    int event = 0, error = 0;
    int major = 2, minor = 2;
    if (!XQueryExtension(d, "XInputExtension", &opcode_, &event, &error) ||
        XIQueryVersion(d, &major, &minor) != Success || major < 2) {
        XCloseDisplay(d);
        return false;
    }

    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, int(sizeof bits), bits};
    XISelectEvents(d, DefaultRootWindow(d), &mask, 1);
    XFlush(d);

    static const bool installed = [] {
        previousIoHandler = XSetIOErrorHandler(ioError);
        return true;
    }();
    (void)installed;
    lost_ = false;
    XSetIOErrorExitHandler(d, keepRunning, &lost_);
    listeningDisplay = d;
    display_ = d;
    onActivity_ = std::move(onActivity);
    scrollAxes_.clear();
    notifier_ = std::make_unique<QSocketNotifier>(ConnectionNumber(d), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { drain(); });
    return true;
}

void XInputIdle::stop()
{
    // Later: stop() may run inside the notifier's own signal.
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
    }
    if (display_) {
        XCloseDisplay(display_);
        display_ = nullptr;
        listeningDisplay = nullptr;
    }
    onActivity_ = nullptr;
}

const std::set<int>& XInputIdle::scrollValuators(int device)
{
    auto found = scrollAxes_.find(device);
    if (found != scrollAxes_.end())
        return found->second;
    std::set<int>& axes = scrollAxes_[device];
    int count = 0;
    XIDeviceInfo* info = XIQueryDevice(display_, device, &count);
    for (int i = 0; info && i < count; ++i)
        for (int c = 0; c < info[i].num_classes; ++c)
            if (info[i].classes[c]->type == XIScrollClass)
                axes.insert(reinterpret_cast<XIScrollClassInfo*>(info[i].classes[c])->number);
    if (info)
        XIFreeDeviceInfo(info);
    return axes;
}

bool XInputIdle::isMovement(int device, const unsigned char* mask, int maskLen)
{
    const std::set<int>& scroll = scrollValuators(device);
    for (int axis = 0; axis < maskLen * 8; ++axis)
        if (XIMaskIsSet(mask, axis) && !scroll.count(axis))
            return true;
    return false;
}

void XInputIdle::drain()
{
    bool active = false;
    // The callback may stop us; finish reading first, then report once.
    while (display_ && XPending(display_)) {
        XEvent ev;
        XNextEvent(display_, &ev);
        XGenericEventCookie* cookie = &ev.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode_ ||
            !XGetEventData(display_, cookie))
            continue;
        if (cookie->evtype == XI_RawKeyPress) {
            active = true;
        } else if (cookie->evtype == XI_RawMotion) {
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            if (isMovement(raw->sourceid, raw->valuators.mask, raw->valuators.mask_len))
                active = true;
        }
        XFreeEventData(display_, cookie);
    }
    if (lost_ && display_) {
        // The socket stays readable at end of file: stop watching it.
        stop();
        return;
    }
    if (active && onActivity_) {
        auto report = onActivity_;
        report();
    }
}

} // namespace platform
