#pragma once

#include <string>

namespace platform {

//! Makes a theme installed on this system the running desktop's own, stored by the desktop
//! so that it also holds at the next sign-in. Where the desktop keeps no such setting (the
//! Windows binding writes the registry instead) there is no object of this kind.
class DesktopTheme {
public:
    struct Outcome {
        bool applied = false;
        //! Why it was not applied, in words for the user; empty when applied.
        std::u16string reason;
    };

    virtual ~DesktopTheme() = default;
    //! `themeFile`: a theme folder's index.theme (GTK, icon or cursor theme), a KDE colour
    //! scheme (*.colors) or a KDE look-and-feel package's metadata file.
    virtual Outcome apply(const std::u16string& themeFile) = 0;
    //! The desktop as detected, for messages; empty when unknown.
    virtual std::u16string desktop() const = 0;
};

} // namespace platform
