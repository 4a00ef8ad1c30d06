#include "WinIdleInput.h"

#include <windows.h>

namespace platform {

namespace {

// Hook procedures carry no context; one listener at a time is all the program needs.
WinIdleInput* active = nullptr;
std::function<void()>* activeCallback = nullptr;

void report()
{
    if (activeCallback && *activeCallback) {
        auto callback = *activeCallback;
        callback();
    }
}

LRESULT CALLBACK keyboardProc(int code, WPARAM message, LPARAM data)
{
    if (code == HC_ACTION && WinIdleInput::IsKeyActivity(unsigned(message)))
        report();
    return CallNextHookEx(nullptr, code, message, data);
}

LRESULT CALLBACK mouseProc(int code, WPARAM message, LPARAM data)
{
    if (code == HC_ACTION && WinIdleInput::IsMouseActivity(unsigned(message)))
        report();
    return CallNextHookEx(nullptr, code, message, data);
}

} // namespace

bool WinIdleInput::IsKeyActivity(unsigned message)
{
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
}

bool WinIdleInput::IsMouseActivity(unsigned message)
{
    return message == WM_MOUSEMOVE;
}

WinIdleInput::~WinIdleInput()
{
    stop();
}

bool WinIdleInput::start(std::function<void()> onActivity)
{
    if (active && active != this)
        return false;
    onActivity_ = std::move(onActivity);
    if (keyboard_)
        return true;
    const HINSTANCE module = GetModuleHandleW(nullptr);
    HHOOK keyboard = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardProc, module, 0);
    if (!keyboard)
        return false;
    HHOOK mouse = SetWindowsHookExW(WH_MOUSE_LL, mouseProc, module, 0);
    if (!mouse) {
        UnhookWindowsHookEx(keyboard);
        return false;
    }
    keyboard_ = keyboard;
    mouse_ = mouse;
    active = this;
    activeCallback = &onActivity_;
    return true;
}

void WinIdleInput::stop()
{
    if (mouse_)
        UnhookWindowsHookEx(static_cast<HHOOK>(mouse_));
    if (keyboard_)
        UnhookWindowsHookEx(static_cast<HHOOK>(keyboard_));
    mouse_ = keyboard_ = nullptr;
    if (active == this) {
        active = nullptr;
        activeCallback = nullptr;
    }
    onActivity_ = nullptr;
}

} // namespace platform
