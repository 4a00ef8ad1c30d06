#include "WaylandSessionDesktop.h"

#include "DesktopScreenOff.h"
#include "KWinScriptWindows.h"
#include "ShellExtensionWindows.h"
#include "WlrScreenOff.h"
#include "WlrToplevelWindows.h"

namespace platform {

namespace {

// While no candidate answers, asking each of them costs a bus call or a connection: not on
// every tick.
constexpr std::chrono::seconds kLookAgain{5};

template <typename T>
T* firstAvailable(const std::vector<std::unique_ptr<T>>& candidates, T*& current,
                  std::chrono::steady_clock::time_point& nextLook)
{
    if (current)
        return current;
    const auto now = std::chrono::steady_clock::now();
    if (now < nextLook)
        return nullptr;
    for (const auto& candidate : candidates)
        if (candidate && candidate->available())
            return current = candidate.get();
    nextLook = now + kLookAgain;
    return nullptr;
}

template <typename T, typename... Ts> std::vector<std::unique_ptr<T>> listOf(Ts... candidates)
{
    std::vector<std::unique_ptr<T>> out;
    (out.push_back(std::move(candidates)), ...);
    return out;
}

} // namespace

WaylandSessionWindows::WaylandSessionWindows(
    std::vector<std::unique_ptr<WindowsByTitle>> candidates)
    : candidates_(std::move(candidates))
{
}

WaylandSessionWindows::WaylandSessionWindows()
    : WaylandSessionWindows(listOf<WindowsByTitle>(std::make_unique<WlrToplevelWindows>(),
                                                   std::make_unique<KWinScriptWindows>(),
                                                   std::make_unique<ShellExtensionWindows>()))
{
}

WindowsByTitle* WaylandSessionWindows::current()
{
    return firstAvailable(candidates_, current_, nextLook_);
}

bool WaylandSessionWindows::exists(const std::u16string& title)
{
    WindowsByTitle* windows = current();
    return windows && windows->exists(title);
}

bool WaylandSessionWindows::requestClose(const std::u16string& title)
{
    WindowsByTitle* windows = current();
    return windows && windows->requestClose(title);
}

std::vector<std::u16string>
WaylandSessionWindows::requestCloseEach(const std::vector<std::u16string>& titles)
{
    WindowsByTitle* windows = current();
    return windows ? windows->requestCloseEach(titles) : std::vector<std::u16string>{};
}

WaylandSessionScreenOff::WaylandSessionScreenOff(std::vector<std::unique_ptr<ScreenOff>> candidates)
    : candidates_(std::move(candidates))
{
}

WaylandSessionScreenOff::WaylandSessionScreenOff()
    : WaylandSessionScreenOff(listOf<ScreenOff>(std::make_unique<WlrScreenOff>(),
                                                std::make_unique<MutterScreenOff>(),
                                                std::make_unique<KdeScreenOff>()))
{
}

ScreenOff* WaylandSessionScreenOff::current()
{
    return firstAvailable(candidates_, current_, nextLook_);
}

bool WaylandSessionScreenOff::turnOff()
{
    ScreenOff* screen = current();
    return screen && screen->turnOff();
}

} // namespace platform
