#include "ThemeRegistry.h"

#include <initializer_list>
#include <utility>

namespace appearance {

namespace {

using platform::RegistryRoot;
using Value = std::pair<std::u16string, std::u16string>; // name, data

std::string Narrow(const std::u16string& text)
{
    // Value names are plain ASCII; anything else is shown as '?'.
    std::string out;
    for (char16_t c : text)
        out += c < 0x80 ? char(c) : '?';
    return out;
}

//! One key: opened (created when missing), its values in order, closed.
void WriteKey(platform::Registry& registry, const std::u16string& key,
              std::initializer_list<Value> values)
{
    const bool opened = registry.openKey(RegistryRoot::CurrentUser, key, true);
    for (const auto& [name, data] : values)
        if (!opened || !registry.writeString(RegistryRoot::CurrentUser, key, name, data))
            throw RegistryWriteError(name);
}

const std::u16string kCurrentVersion = u"Software\\Microsoft\\Windows\\CurrentVersion";
const std::u16string kLastTheme = kCurrentVersion + u"\\Themes\\LastTheme";

std::u16string IconKey(const std::u16string& clsid)
{
    return kCurrentVersion + u"\\Explorer\\CLSID\\" + clsid + u"\\DefaultIcon";
}

} // namespace

RegistryWriteError::RegistryWriteError(const std::u16string& valueName)
    : std::runtime_error("Failed to set data for '" + Narrow(valueName) + "'")
{
}

ThemeParts SplitThemePath(const std::u16string& path)
{
    const auto slash = path.find_last_of(u"\\/");
    const std::size_t start = slash == std::u16string::npos ? 0 : slash + 1;
    std::u16string file = path.substr(start);
    if (const auto dot = file.rfind(u'.'); dot != std::u16string::npos)
        file.resize(dot);
    return {file, path.substr(0, start)};
}

void ApplyTheme(platform::Registry& registry, const std::u16string& path)
{
    const auto [t, d] = SplitThemePath(path);
    const std::u16string cursors = d + t + u"\\Cursors" + u"\\";
    const std::u16string icons = d + t + u"\\icons" + u"\\";

    WriteKey(registry, u"Software\\Microsoft\\MediaPlayer\\Preferences",
             {{u"ShellStyleFile", t + u".msstyles"}});
    WriteKey(registry, kCurrentVersion + u"\\ThemeManager",
             {{u"ColorName", u"NormalColor"},
              {u"DllName", d + t + u"\\" + t + u".msstyles"},
              {u"LastUserLangID", u"2052"},
              {u"LoadedBefore", u"1"},
              {u"SizeName", u"NormalSize"},
              {u"ThemeActive", u"1"},
              {u"WCreatedUser", u"1"}});
    WriteKey(registry, kLastTheme, {{u"ThemeFile", d + t + u".theme"}});
    WriteKey(registry, u"Control Panel\\Cursors",
             {{u"AppStarting", cursors + u"AppStarting.ani"},
              {u"Arrow", cursors + u"Arrow.cur"},
              {u"Crosshair", cursors + u"Crosshair.cur"},
              {u"Help", cursors + u"Help.cur"},
              {u"IBeam", cursors + u"IBeam.cur"},
              {u"Link", cursors + u"Link.cur"},
              {u"No", cursors + u"No.cur"},
              {u"SizeNESW", cursors + u"SizeNESW.cur"},
              {u"SizeNS", cursors + u"SizeNS.cur"},
              {u"SizeNWSE", cursors + u"SizeNWSE.cur"},
              {u"SizeWE", cursors + u"SizeWE.cur"},
              {u"UpArrow", cursors + u"UpArrow.cur"},
              {u"Wait", cursors + u"Wait.ani"}});
    WriteKey(registry, IconKey(u"{645FF040-5081-101B-9F08-00AA002F954E}"),
             {{u"Empty", icons + u"empty.ico"}, {u"Full", icons + u"Full.ico"}});
    WriteKey(registry, IconKey(u"{20D04FE0-3AEA-1069-A2D8-08002B30309D}"),
             {{u"", icons + u"mycom.ico"}});
    WriteKey(registry, IconKey(u"{450D8FBA-AD25-11D0-98A8-0800361B1103}"),
             {{u"", icons + u"mydoc.ico"}});
    WriteKey(registry, IconKey(u"{208D2C60-3AEA-1069-A2D7-08002B30309D}"),
             {{u"", icons + u"network.ico"}});
    // The listed path wins over the one made from its parts (an extension such as ".THEME").
    WriteKey(registry, kLastTheme, {{u"ThemeFile", path}});
    WriteKey(registry, u"Software\\Microsoft\\Plus!\\Themes\\Current", {{u"", path}});
}

void ApplyWallpaper(platform::Registry& registry, const std::u16string& picture)
{
    WriteKey(registry, u"Control Panel\\Desktop",
             {{u"Wallpaper", picture}, {u"WallpaperStyle", u"2"}});
    WriteKey(registry, u"Software\\Microsoft\\Internet Explorer\\Desktop\\General",
             {{u"BackupWallpaper", picture}, {u"Wallpaper", picture}, {u"WallpaperStyle", u"2"}});
}

} // namespace appearance
