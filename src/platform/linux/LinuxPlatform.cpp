#include "DesktopWallpaper.h"
#include "LinuxDesktopTheme.h"
#include "LinuxIcmpEcho.h"
#include "LinuxLocalClock.h"
#include "LinuxProfile.h"
#include "LinuxSystemInfo.h"
#include "LogindPowerActions.h"
#include "QtAnsiCodePage.h"
#include "SessionType.h"
#include "SpawnLauncher.h"
#include "TimedatedClockSetter.h"
#include "WaylandSessionDesktop.h"
#include "WaylandSessionIdle.h"
#include "X11WindowsByTitle.h"
#include "XInputIdle.h"
#include "XdgAutostart.h"
#include "XdgShell.h"
#include "platform/Platform.h"
#include "platform/portable/RegistryStore.h"

#include <QDir>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace platform {

namespace {

std::filesystem::path registryDir()
{
    if (const char* dir = std::getenv("QUORLIN_REGISTRY_DIR"); dir && *dir)
        return dir;
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::filesystem::path base =
        data && data[0] == '/'
            ? std::filesystem::path(data)
            : std::filesystem::path(QDir::homePath().toStdString()) / ".local" / "share";
    return base / "Quorlin" / "registry";
}

} // namespace

std::unique_ptr<Platform> createSystemPlatform()
{
    auto p = std::make_unique<Platform>();
    p->ansi = std::make_unique<QtAnsiCodePage>();
    p->profile = std::make_unique<LinuxProfile>();
    // HKEY_LOCAL_MACHINE belongs to the administrator, here root, as on Windows.
    p->registry = std::make_unique<RegistryStore>(registryDir().u16string(), geteuid() == 0);
    // On Wayland, X11 would show only XWayland's windows: the desktop is asked instead.
    if (isWaylandSession())
        p->windows = std::make_unique<WaylandSessionWindows>();
    else
        p->windows = std::make_unique<X11WindowsByTitle>();
    p->shell = std::make_unique<XdgShell>();
    p->autostart = std::make_unique<XdgAutostart>();
    p->clock = std::make_unique<LinuxLocalClock>();
    p->systemInfo = std::make_unique<LinuxSystemInfo>();
    // On Wayland, XInput2 would hear only X clients: idle comes from the desktop there.
    if (isWaylandSession())
        p->idleInput = std::make_unique<WaylandSessionIdle>();
    else
        p->idleInput = std::make_unique<XInputIdle>();
    p->icmp = std::make_unique<LinuxIcmpEcho>();
    p->power = std::make_unique<LogindPowerActions>(
        QString(), isWaylandSession()
                       ? std::unique_ptr<ScreenOff>(std::make_unique<WaylandSessionScreenOff>())
                       : makeX11ScreenOff());
    p->clockSetter = std::make_unique<TimedatedClockSetter>();
    p->wallpaper = std::make_unique<DesktopWallpaper>();
    p->desktopTheme = std::make_unique<LinuxDesktopTheme>();
    p->launcher = std::make_unique<SpawnLauncher>();
    return p;
}

} // namespace platform
