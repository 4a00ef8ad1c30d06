#include "WinWindowsByTitle.h"

#include <windows.h>

namespace platform {

namespace {
HWND find(const std::u16string& title)
{
    // An empty title would match any untitled window.
    return title.empty() ? nullptr
                         : FindWindowW(nullptr, reinterpret_cast<const wchar_t*>(title.c_str()));
}
} // namespace

bool WinWindowsByTitle::exists(const std::u16string& title)
{
    return find(title) != nullptr;
}

bool WinWindowsByTitle::requestClose(const std::u16string& title)
{
    const HWND window = find(title);
    return window && PostMessageW(window, WM_CLOSE, 0, 0);
}

} // namespace platform
