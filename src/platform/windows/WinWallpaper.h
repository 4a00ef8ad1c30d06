#pragma once

#include "platform/Wallpaper.h"

namespace platform {

//! SystemParametersInfoW: the picture now, and in the user profile for the next sign-in.
class WinWallpaper : public Wallpaper {
public:
    Result apply(const std::u16string& picture) override;
    std::u16string desktop() const override { return u"Windows"; }
};

} // namespace platform
