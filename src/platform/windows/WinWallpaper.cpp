#include "WinWallpaper.h"

#include <windows.h>

namespace platform {

Wallpaper::Result WinWallpaper::apply(const std::u16string& picture)
{
    std::wstring path(picture.begin(), picture.end());
    const BOOL ok = SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path.data(),
                                          SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
    return ok ? Result::Applied : Result::Failed;
}

} // namespace platform
