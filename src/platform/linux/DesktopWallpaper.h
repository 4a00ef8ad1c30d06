#pragma once

#include "platform/Wallpaper.h"

#include <string>

namespace platform {

//! The running desktop's own way of setting its background, chosen from XDG_CURRENT_DESKTOP
//! at each call: GSettings for GNOME, Budgie, Unity, Cinnamon and MATE, xfconf-query for
//! Xfce, plasma-apply-wallpaperimage for KDE Plasma.
class DesktopWallpaper : public Wallpaper {
public:
    enum class Kind { Unknown, Gnome, Cinnamon, Mate, Xfce, Plasma };

    //! The first name in the colon-separated list that has a known way, letter case ignored.
    static Kind Detect(const std::string& currentDesktop);

    Result apply(const std::u16string& picture) override;
    std::u16string desktop() const override;
};

} // namespace platform
