#include "X11WindowsByTitle.h"

#include <QString>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <functional>
#include <string>
#include <vector>

namespace platform {

namespace {

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

// Calls `visit` for each window whose title is one of `wanted` (UTF-8) with that title's
// index, until `visit` says the walk is done; true if it did.
bool forEachTitled(Display* d, const std::vector<std::string>& wanted,
                   const std::function<bool(Window, std::size_t)>& visit)
{
    ErrorGuard guard;
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);

    // Titled windows are the top-level ones: children of the root, or the clients inside a
    // window manager's frame (one or two levels further down). Below that lie the widgets of
    // programs; not looking there keeps one walk to a few requests per program.
    constexpr int deepest = 3;
    std::function<bool(Window, int)> walk = [&](Window w, int depth) {
        if (depth > 0) {
            std::string name = utf8Property(d, w, netName, utf8);
            if (name.empty())
                name = legacyName(d, w);
            if (!name.empty())
                for (std::size_t i = 0; i < wanted.size(); ++i)
                    if (name == wanted[i] && visit(w, i))
                        return true;
        }
        if (depth == deepest)
            return false;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(d, w, &root, &parent, &children, &count))
            return false;
        bool done = false;
        for (unsigned i = 0; i < count && !done; ++i)
            done = walk(children[i], depth + 1);
        if (children)
            XFree(children);
        return done;
    };
    bool found = false;
    for (int s = 0; s < ScreenCount(d) && !found; ++s)
        found = walk(RootWindow(d, s), 0);
    XSync(d, False);
    return found;
}

std::string toUtf8(const std::u16string& text)
{
    return QString::fromUtf16(text.data(), qsizetype(text.size())).toUtf8().toStdString();
}

// The polite close, as the close button asks; never a kill. Does not wait for the client.
bool sendDelete(Display* d, Window w)
{
    const Atom protocols = XInternAtom(d, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    // A frame may carry the client's title too; only a window that takes the message counts.
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
}

} // namespace

X11WindowsByTitle::~X11WindowsByTitle()
{
    if (display_)
        XCloseDisplay(display_);
}

Display* X11WindowsByTitle::display()
{
    if (!display_)
        display_ = XOpenDisplay(nullptr);
    return display_;
}

bool X11WindowsByTitle::exists(const std::u16string& title)
{
    Display* d = title.empty() ? nullptr : display(); // empty: every untitled window
    return d && forEachTitled(d, {toUtf8(title)}, [](Window, std::size_t) { return true; });
}

bool X11WindowsByTitle::requestClose(const std::u16string& title)
{
    return !requestCloseEach({title}).empty();
}

std::vector<std::u16string>
X11WindowsByTitle::requestCloseEach(const std::vector<std::u16string>& titles)
{
    std::vector<std::u16string> closed;
    std::vector<std::string> wanted;
    for (const auto& title : titles)
        wanted.push_back(title.empty() ? std::string() : toUtf8(title));
    std::vector<bool> done(titles.size(), false);
    std::size_t left = 0;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        done[i] = titles[i].empty();
        left += done[i] ? 0 : 1;
    }
    Display* d = left ? display() : nullptr;
    if (!d)
        return closed;
    forEachTitled(d, wanted, [&](Window w, std::size_t i) {
        if (!done[i] && sendDelete(d, w)) {
            done[i] = true;
            closed.push_back(titles[i]);
            --left;
        }
        return left == 0;
    });
    return closed;
}

} // namespace platform
