#include "WinPowerActions.h"

#include <windows.h>

#include <powrprof.h>

namespace platform {

namespace {

// Every mode needs the privilege, screen off included: a process that cannot get it is
// in no position to act on the machine's power at all.
bool enableShutdownPrivilege()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
        return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid);
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    // Succeeding without granting the privilege (ERROR_NOT_ALL_ASSIGNED) still counts: the
    // action itself then says whether it is allowed.
    const BOOL adjusted = AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
    CloseHandle(token);
    return adjusted != FALSE;
}

} // namespace

bool WinPowerActions::run(unsigned mode)
{
    if (mode > 5)
        return false;
    if (!enableShutdownPrivilege())
        return false;
    switch (mode) {
    case 0:
        return ExitWindowsEx(EWX_SHUTDOWN | EWX_FORCE, 0) != FALSE;
    case 1:
        return ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0) != FALSE;
    case 2:
        // Returns after the machine has woken up again.
        return SetSuspendState(FALSE, TRUE, FALSE) != FALSE;
    case 3:
        return SetSuspendState(TRUE, TRUE, FALSE) != FALSE;
    case 4:
        return ExitWindowsEx(EWX_LOGOFF | EWX_FORCE, 0) != FALSE;
    default:
        // No window has to react to the broadcast, so there is nothing to fail on. A hung
        // window is skipped rather than allowed to stop the program with it.
        SendMessageTimeoutA(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, 2,
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, 2000, nullptr);
        return true;
    }
}

} // namespace platform
