#include "X11WindowsByTitle.h"

#include <QString>

#include <X11/Xatom.h>
#include <X11/Xlib-xcb.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <xcb/xcb.h>

#include <cstdlib>
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

// A window's title from the replies to its two title properties: _NET_WM_NAME (UTF-8) first,
// else WM_NAME, which may be STRING (Latin-1), UTF8_STRING or COMPOUND_TEXT.
std::string titleOf(Display* d, xcb_get_property_reply_t* net, xcb_get_property_reply_t* legacy,
                    Atom utf8)
{
    const auto text = [](xcb_get_property_reply_t* r) {
        return std::string(static_cast<const char*>(xcb_get_property_value(r)),
                           std::size_t(xcb_get_property_value_length(r)));
    };
    if (net && net->type == utf8 && net->format == 8 && xcb_get_property_value_length(net) > 0)
        return text(net);
    if (!legacy || legacy->format != 8 || xcb_get_property_value_length(legacy) <= 0)
        return {};
    if (legacy->type == XA_STRING)
        return QString::fromLatin1(text(legacy)).toStdString();
    if (legacy->type == utf8)
        return text(legacy);
    std::string value = text(legacy);
    XTextProperty prop{reinterpret_cast<unsigned char*>(value.data()), Atom(legacy->type), 8,
                       static_cast<unsigned long>(value.size())};
    std::string out;
    char** list = nullptr;
    int count = 0;
    if (Xutf8TextPropertyToTextList(d, &prop, &list, &count) >= Success && list) {
        for (int i = 0; i < count; ++i)
            out += list[i];
        XFreeStringList(list);
    }
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
//
// Titled windows are the top-level ones: children of the root, or the clients inside a window
// manager's frame (one or two levels further down). Below that lie the widgets of programs.
// The walk goes a level at a time and sends the questions about a whole level before reading
// any answer: a few round trips a walk however many windows there are, since a walk runs
// every second while programs are blocked.
bool forEachTitled(Display* d, const std::vector<std::string>& wanted,
                   const std::function<bool(Window, std::size_t)>& visit)
{
    ErrorGuard guard;
    xcb_connection_t* c = XGetXCBConnection(d);
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    constexpr int deepest = 3;
    constexpr uint32_t longest = 1 << 16; // in 32-bit units, as X counts them

    struct Asked {
        xcb_window_t window;
        xcb_get_property_cookie_t net, legacy;
        xcb_query_tree_cookie_t tree;
    };
    std::vector<xcb_window_t> level;
    for (int s = 0; s < ScreenCount(d); ++s)
        level.push_back(xcb_window_t(RootWindow(d, s)));
    bool found = false, visited = false;
    for (int depth = 0; depth <= deepest && !level.empty(); ++depth) {
        std::vector<Asked> asked;
        asked.reserve(level.size());
        for (xcb_window_t w : level) {
            Asked a{w, {}, {}, {}};
            if (depth > 0) {
                a.net = xcb_get_property(c, 0, w, netName, utf8, 0, longest);
                a.legacy = xcb_get_property(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0,
                                            longest);
            }
            if (depth < deepest)
                a.tree = xcb_query_tree(c, w);
            asked.push_back(a);
        }
        // Every answer is read, also after the walk is done, so none is left queued.
        std::vector<xcb_window_t> next;
        for (const Asked& a : asked) {
            if (depth > 0) {
                xcb_get_property_reply_t* net = xcb_get_property_reply(c, a.net, nullptr);
                xcb_get_property_reply_t* legacy = xcb_get_property_reply(c, a.legacy, nullptr);
                const std::string name = found ? std::string() : titleOf(d, net, legacy, utf8);
                free(net);
                free(legacy);
                if (!name.empty())
                    for (std::size_t i = 0; i < wanted.size() && !found; ++i)
                        if (name == wanted[i]) {
                            visited = true;
                            found = visit(Window(a.window), i);
                        }
            }
            if (depth < deepest) {
                xcb_query_tree_reply_t* tree = xcb_query_tree_reply(c, a.tree, nullptr);
                if (tree && !found) {
                    const xcb_window_t* children = xcb_query_tree_children(tree);
                    next.insert(next.end(), children,
                                children + xcb_query_tree_children_length(tree));
                }
                free(tree);
            }
        }
        if (found)
            break;
        level = std::move(next);
    }
    // A close sent to a window that has just gone fails later: let that happen under the guard.
    if (visited)
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
