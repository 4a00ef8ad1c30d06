#pragma once

#include <string>

namespace platform {

//! Puts a picture on the running desktop, stored so that it also holds at the next sign-in.
class Wallpaper {
public:
    enum class Result {
        Applied,
        Failed,      //!< the desktop has a way, and it refused or is not installed
        Unsupported, //!< no known way for this desktop
    };

    virtual ~Wallpaper() = default;
    virtual Result apply(const std::u16string& picture) = 0;
    //! The desktop as detected, for messages ("GNOME", "XFCE", …); empty when unknown.
    virtual std::u16string desktop() const = 0;
};

} // namespace platform
