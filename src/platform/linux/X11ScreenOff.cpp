#include "ScreenOff.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

namespace platform {

namespace {

int ignoreXErrors(Display*, XErrorEvent*)
{
    return 0;
}

class X11ScreenOff : public ScreenOff {
public:
    bool available() override { return true; }

    // A server without DPMS or a failed request leaves the screen on, which is not treated
    // as a failure: nothing may react to the request on any system.
    bool turnOff() override
    {
        Display* display = XOpenDisplay(nullptr);
        if (!display)
            return true;
        int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(ignoreXErrors);
        int event = 0, error = 0;
        if (DPMSQueryExtension(display, &event, &error) && DPMSCapable(display)) {
            CARD16 level = 0;
            BOOL enabled = False;
            DPMSInfo(display, &level, &enabled);
            // Forcing a level is refused while DPMS is switched off on the server.
            if (!enabled)
                DPMSEnable(display);
            DPMSForceLevel(display, DPMSModeOff);
            XSync(display, False);
        }
        XSetErrorHandler(previous);
        XCloseDisplay(display);
        return true;
    }
};

} // namespace

std::unique_ptr<ScreenOff> makeX11ScreenOff()
{
    return std::make_unique<X11ScreenOff>();
}

} // namespace platform
