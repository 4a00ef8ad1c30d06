#include "WinShell.h"

#include <windows.h>

#include <shellapi.h>

namespace platform {

void WinShell::open(const std::u16string& target)
{
    ShellExecuteW(nullptr, L"open", reinterpret_cast<const wchar_t*>(target.c_str()), nullptr,
                  nullptr, SW_SHOWNORMAL);
}

} // namespace platform
