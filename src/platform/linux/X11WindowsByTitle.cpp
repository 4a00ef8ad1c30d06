#include "X11WindowsByTitle.h"

#include <QString>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <functional>
#include <memory>
#include <string>

namespace platform {

namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// A window vanishing while we look at it is normal; its errors must not end the program.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

struct ErrorGuard {
    int (*old)(Display*, XErrorEvent*) = XSetErrorHandler(ignoreErrors);
    ~ErrorGuard() { XSetErrorHandler(old); }
};

std::string utf8Property(Display* d, Window w, Atom property, Atom type)
{
    Atom actual = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string out;
    if (XGetWindowProperty(d, w, property, 0, 1 << 16, False, type, &actual, &format, &count,
                           &after, &data) == Success &&
        actual == type && format == 8 && data)
        out.assign(reinterpret_cast<char*>(data), count);
    if (data)
        XFree(data);
    return out;
}

// WM_NAME may be STRING (Latin-1), UTF8_STRING or COMPOUND_TEXT.
std::string legacyName(Display* d, Window w)
{
    XTextProperty prop{};
    if (!XGetWMName(d, w, &prop) || !prop.value)
        return {};
    std::string out;
    char** list = nullptr;
    int count = 0;
    if (prop.encoding == XA_STRING) {
        out = QString::fromLatin1(reinterpret_cast<char*>(prop.value), int(prop.nitems))
                  .toStdString();
    } else if (Xutf8TextPropertyToTextList(d, &prop, &list, &count) >= Success && list) {
        for (int i = 0; i < count; ++i)
            out += list[i];
        XFreeStringList(list);
    }
    XFree(prop.value);
    return out;
}

bool supportsDelete(Display* d, Window w, Atom deleteWindow)
{
    Atom* protocols = nullptr;
    int count = 0;
    bool found = false;
    if (XGetWMProtocols(d, w, &protocols, &count)) {
        for (int i = 0; i < count; ++i)
            found = found || protocols[i] == deleteWindow;
        XFree(protocols);
    }
    return found;
}

// Calls `visit` for each window titled `title` until it returns true; true if one did.
bool forEachTitled(const std::u16string& title, const std::function<bool(Display*, Window)>& visit)
{
    if (title.empty())
        return false; // would match every untitled window
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display)
        return false;
    Display* d = display.get();
    ErrorGuard guard;
    const std::string wanted =
        QString::fromUtf16(title.data(), qsizetype(title.size())).toUtf8().toStdString();
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);

    std::function<bool(Window)> walk = [&](Window w) {
        std::string name = utf8Property(d, w, netName, utf8);
        if (name.empty())
            name = legacyName(d, w);
        if (name == wanted && visit(d, w))
            return true;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &count))
            return false;
        bool done = false;
        for (unsigned i = 0; i < count && !done; ++i)
            done = walk(children[i]);
        if (children)
            XFree(children);
        return done;
    };
    bool found = false;
    for (int s = 0; s < ScreenCount(d) && !found; ++s)
        found = walk(RootWindow(d, s));
    XSync(d, False);
    return found;
}

} // namespace

bool X11WindowsByTitle::exists(const std::u16string& title)
{
    return forEachTitled(title, [](Display*, Window) { return true; });
}

bool X11WindowsByTitle::requestClose(const std::u16string& title)
{
    // A frame may carry the client's title too; only a window that takes the message counts.
    return forEachTitled(title, [](Display* d, Window w) {
        const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
        const Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
        if (!supportsDelete(d, w, deleteWindow))
            return false;
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = w;
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = long(deleteWindow);
        event.xclient.data.l[1] = CurrentTime;
        return XSendEvent(d, w, False, NoEventMask, &event) != 0;
    });
}

} // namespace platform
