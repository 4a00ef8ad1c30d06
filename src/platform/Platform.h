#pragma once

#include "AnsiCodePage.h"
#include "AutostartEntry.h"
#include "CommandLauncher.h"
#include "DesktopTheme.h"
#include "IcmpEcho.h"
#include "IdleInput.h"
#include "LocalClock.h"
#include "PowerActions.h"
#include "Profile.h"
#include "Registry.h"
#include "Shell.h"
#include "SystemClockSetter.h"
#include "SystemInfo.h"
#include "Wallpaper.h"
#include "WindowsByTitle.h"

#include <memory>

namespace platform {

//! Every OS operation the program uses, one object per area. A member that this
//! system cannot offer stays null and its feature reports that it is unavailable.
struct Platform {
    std::unique_ptr<AnsiCodePage> ansi;
    std::unique_ptr<Profile> profile;
    std::unique_ptr<Registry> registry;
    std::unique_ptr<WindowsByTitle> windows;
    std::unique_ptr<Shell> shell;
    std::unique_ptr<AutostartEntry> autostart;
    std::unique_ptr<LocalClock> clock;
    std::unique_ptr<PowerActions> power;
    std::unique_ptr<IdleInput> idleInput;
    std::unique_ptr<CommandLauncher> launcher;
    std::unique_ptr<SystemInfo> systemInfo;
    std::unique_ptr<SystemClockSetter> clockSetter;
    std::unique_ptr<IcmpEcho> icmp;
    std::unique_ptr<Wallpaper> wallpaper;
    //! Null where themes are the registry's values (Windows).
    std::unique_ptr<DesktopTheme> desktopTheme;
    //! The registry above is the one Windows itself reads, so tools that tune Windows
    //! through it mean something; elsewhere it is only the program's own store.
#ifdef _WIN32
    bool windowsRegistry = true;
#else
    bool windowsRegistry = false;
#endif
};

//! The bindings of the system the program was built for.
std::unique_ptr<Platform> createSystemPlatform();

} // namespace platform
