#pragma once

#include "platform/Registry.h"

#include <stdexcept>
#include <string>

// Std-only, so the Windows build of the platform suite writes the same values under wine.
namespace appearance {

//! A theme file's name without its extension and its folder with the trailing separator,
//! from which every value of a theme is made.
struct ThemeParts {
    std::u16string name;   // T
    std::u16string folder; // D
};

//! The last '\' or '/' ends the folder; the name ends at the last '.' of the file name.
ThemeParts SplitThemePath(const std::u16string& path);

//! A value the registry refused; the text names the value ("Failed to set data for 'X'").
class RegistryWriteError : public std::runtime_error {
public:
    explicit RegistryWriteError(const std::u16string& valueName);
};

//! Makes the theme at `path` the current user's theme for the next sign-in: writes the
//! theme file, its visual style, cursors and desktop icons into HKEY_CURRENT_USER.
//! Throws RegistryWriteError at the first value that cannot be written; later ones are skipped.
void ApplyTheme(platform::Registry& registry, const std::u16string& path);

//! The wallpaper values of the current user; throws RegistryWriteError like ApplyTheme.
void ApplyWallpaper(platform::Registry& registry, const std::u16string& picture);

} // namespace appearance
