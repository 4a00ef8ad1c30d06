#pragma once

namespace platform {

//! True in a Wayland session: WAYLAND_DISPLAY is set, or XDG_SESSION_TYPE is "wayland".
//! Decided by the session, not by the Qt platform plugin: a program running on XWayland
//! sees only X clients through X11, so the desktop's own services must be asked instead.
bool isWaylandSession();

} // namespace platform
