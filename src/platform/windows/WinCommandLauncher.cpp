#include "WinCommandLauncher.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdint>

namespace platform {

namespace {

bool folderExists(const std::u16string& path)
{
    const auto slash = path.find_last_of(u"\\/");
    if (slash == std::u16string::npos)
        return true; // relative to the current folder, which exists
    std::u16string folder = path.substr(0, slash + 1);
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<const wchar_t*>(folder.c_str()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

CommandLauncher::Result WinCommandLauncher::launch(const std::u16string& path, int showMode)
{
    if (path.empty())
        return {SE_ERR_FNF, 0};
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // Our own message reports a failure; the shell's box would come on top of it.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = reinterpret_cast<const wchar_t*>(path.c_str());
    info.nShow = showMode;
    const BOOL ok = ShellExecuteExW(&info);
    const auto inst = static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(info.hInstApp));
    if (ok) {
        const auto process = reinterpret_cast<std::intptr_t>(info.hProcess);
        return {inst > 32 ? inst : 33u, process};
    }
    unsigned code = inst;
    if (code == 0 || code > 32) {
        // Not every failure fills hInstApp; the thread's error says what it was.
        switch (GetLastError()) {
        case ERROR_FILE_NOT_FOUND:
            code = SE_ERR_FNF;
            break;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            code = SE_ERR_PNF;
            break;
        case ERROR_ACCESS_DENIED:
            code = SE_ERR_ACCESSDENIED;
            break;
        case ERROR_BAD_FORMAT:
        case ERROR_BAD_EXE_FORMAT:
            code = ERROR_BAD_FORMAT;
            break;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            code = 0;
            break;
        default:
            code = SE_ERR_NOASSOC; // 32 (a DLL not found) and up would read as success
        }
    }
    if (code == SE_ERR_FNF && !folderExists(path))
        code = SE_ERR_PNF; // the shell does not always tell the two apart
    return {code == 32 ? unsigned(SE_ERR_NOASSOC) : code, 0};
}

bool WinCommandLauncher::hasExited(std::int64_t process)
{
    if (process == 0)
        return true;
    const HANDLE handle = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(process));
    if (WaitForSingleObject(handle, 0) == WAIT_TIMEOUT)
        return false;
    CloseHandle(handle);
    return true;
}

} // namespace platform
