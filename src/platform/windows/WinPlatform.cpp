#include "WinAnsiCodePage.h"
#include "WinClockSetter.h"
#include "WinCommandLauncher.h"
#include "WinIcmpEcho.h"
#include "WinIdleInput.h"
#include "WinLocalClock.h"
#include "WinPowerActions.h"
#include "WinProfile.h"
#include "WinRegistry.h"
#include "WinShell.h"
#include "WinSystemInfo.h"
#include "WinWallpaper.h"
#include "WinWindowsByTitle.h"
#include "platform/Platform.h"
#include "platform/portable/RegistryAutostart.h"

namespace platform {

std::unique_ptr<Platform> createSystemPlatform()
{
    auto p = std::make_unique<Platform>();
    p->ansi = std::make_unique<WinAnsiCodePage>();
    p->profile = std::make_unique<WinProfile>();
    p->registry = std::make_unique<WinRegistry>();
    p->windows = std::make_unique<WinWindowsByTitle>();
    p->shell = std::make_unique<WinShell>();
    // Declared after the registry in Platform, so destroyed before it.
    p->autostart = std::make_unique<RegistryAutostart>(*p->registry);
    p->clock = std::make_unique<WinLocalClock>();
    p->systemInfo = std::make_unique<WinSystemInfo>();
    p->idleInput = std::make_unique<WinIdleInput>();
    p->icmp = std::make_unique<WinIcmpEcho>();
    p->power = std::make_unique<WinPowerActions>();
    p->clockSetter = std::make_unique<WinClockSetter>();
    p->wallpaper = std::make_unique<WinWallpaper>();
    p->launcher = std::make_unique<WinCommandLauncher>();
    return p;
}

} // namespace platform
