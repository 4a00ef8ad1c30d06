#pragma once

// The implementation each suite runs against: the Win32 binding in the Windows build
// (run under wine), the portable and Linux code natively.

#include "platform/Platform.h"

#include <filesystem>
#include <memory>

#ifdef _WIN32
#include "platform/windows/WinAnsiCodePage.h"
#include "platform/windows/WinCommandLauncher.h"
#include "platform/windows/WinIcmpEcho.h"
#include "platform/windows/WinLocalClock.h"
#include "platform/windows/WinProfile.h"
#include "platform/windows/WinRegistry.h"
#include "platform/windows/WinSystemInfo.h"
#include "platform/windows/WinWindowsByTitle.h"
#else
#include "platform/linux/LinuxIcmpEcho.h"
#include "platform/linux/LinuxLocalClock.h"
#include "platform/linux/LinuxProfile.h"
#include "platform/linux/LinuxSystemInfo.h"
#include "platform/linux/QtAnsiCodePage.h"
#include "platform/linux/SpawnLauncher.h"
#include "platform/linux/X11WindowsByTitle.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/portable/RegistryStore.h"
#endif

namespace under_test {

#ifdef _WIN32
using AnsiCodePage = platform::WinAnsiCodePage;
using Profile = platform::WinProfile;
using WindowsByTitle = platform::WinWindowsByTitle;
using LocalClock = platform::WinLocalClock;
using CommandLauncher = platform::WinCommandLauncher;
using IcmpEcho = platform::WinIcmpEcho;
using SystemInfo = platform::WinSystemInfo;

//! The real registry of the wine prefix; the store folder is not used.
class Registry : public platform::WinRegistry {
public:
    explicit Registry(const std::filesystem::path&) {}
};
#else
using AnsiCodePage = platform::QtAnsiCodePage;
using Profile = platform::LinuxProfile;
using WindowsByTitle = platform::X11WindowsByTitle;
using LocalClock = platform::LinuxLocalClock;
using CommandLauncher = platform::SpawnLauncher;
using IcmpEcho = platform::LinuxIcmpEcho;
using SystemInfo = platform::LinuxSystemInfo;

class Registry : public platform::RegistryStore {
public:
    explicit Registry(const std::filesystem::path& storeDir) : RegistryStore(storeDir.u16string())
    {
    }
};
#endif

} // namespace under_test
