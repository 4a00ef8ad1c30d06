#pragma once

// The implementation each suite runs against: the Win32 binding in the Windows build
// (run under wine), the portable and Linux code natively.

#include "platform/Platform.h"

#include <filesystem>
#include <memory>

#ifdef _WIN32
#include "platform/windows/WinAnsiCodePage.h"
#include "platform/windows/WinCommandLauncher.h"
#include "platform/windows/WinLocalClock.h"
#include "platform/windows/WinProfile.h"
#include "platform/windows/WinRegistry.h"
#include "platform/windows/WinWindowsByTitle.h"
#else
#include "platform/linux/LinuxLocalClock.h"
#include "platform/linux/LinuxProfile.h"
#include "platform/linux/QtAnsiCodePage.h"
#include "platform/linux/SpawnLauncher.h"
#include "platform/linux/X11WindowsByTitle.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/portable/RegistryStore.h"
#endif

namespace under_test {

#ifdef _WIN32
inline std::unique_ptr<platform::AnsiCodePage> ansi()
{
    return std::make_unique<platform::WinAnsiCodePage>();
}
inline std::unique_ptr<platform::Profile> profile()
{
    return std::make_unique<platform::WinProfile>();
}
//! The real registry of the wine prefix; `storeDir` is not used.
inline std::unique_ptr<platform::Registry> registry(const std::filesystem::path&)
{
    return std::make_unique<platform::WinRegistry>();
}
inline std::unique_ptr<platform::WindowsByTitle> windowsByTitle()
{
    return std::make_unique<platform::WinWindowsByTitle>();
}
inline std::unique_ptr<platform::LocalClock> localClock()
{
    return std::make_unique<platform::WinLocalClock>();
}
inline std::unique_ptr<platform::CommandLauncher> launcher()
{
    return std::make_unique<platform::WinCommandLauncher>();
}
#else
inline std::unique_ptr<platform::AnsiCodePage> ansi()
{
    return std::make_unique<platform::QtAnsiCodePage>();
}
inline std::unique_ptr<platform::Profile> profile()
{
    return std::make_unique<platform::LinuxProfile>();
}
inline std::unique_ptr<platform::Registry> registry(const std::filesystem::path& storeDir)
{
    return std::make_unique<platform::RegistryStore>(storeDir.u16string());
}
inline std::unique_ptr<platform::WindowsByTitle> windowsByTitle()
{
    return std::make_unique<platform::X11WindowsByTitle>();
}
inline std::unique_ptr<platform::LocalClock> localClock()
{
    return std::make_unique<platform::LinuxLocalClock>();
}
inline std::unique_ptr<platform::CommandLauncher> launcher()
{
    return std::make_unique<platform::SpawnLauncher>();
}
#endif

} // namespace under_test
