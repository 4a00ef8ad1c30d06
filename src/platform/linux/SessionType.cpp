#include "SessionType.h"

#include <cstdlib>
#include <cstring>

namespace platform {

bool isWaylandSession()
{
    const char* display = std::getenv("WAYLAND_DISPLAY");
    if (display && *display)
        return true;
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return type && std::strcmp(type, "wayland") == 0;
}

} // namespace platform
