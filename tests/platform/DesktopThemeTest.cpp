// Themes on the Linux desktops; Windows keeps its theme in the registry (ThemeRegistryTest).
#ifndef _WIN32

#include "DesktopSandbox.h"

#include "platform/linux/LinuxDesktopTheme.h"

namespace {

using platform::LinuxDesktopTheme;

class DesktopThemeTest : public DesktopSandbox {
protected:
    std::filesystem::path reason = dir.path() / "reason";

    //! A theme folder: its index.theme with `index`, and the given sub-folders.
    std::string Theme(const std::filesystem::path& folder, const std::string& index,
                      std::initializer_list<const char*> subfolders = {})
    {
        std::filesystem::create_directories(folder);
        for (const char* sub : subfolders)
            std::filesystem::create_directories(folder / sub);
        writeBytes(folder / "index.theme", index);
        return (folder / "index.theme").string();
    }
    std::string GtkTheme(const std::filesystem::path& folder,
                         std::initializer_list<const char*> subfolders = {"gtk-3.0"})
    {
        return Theme(folder, "[Desktop Entry]\nType=X-GNOME-Metatheme\nName=T\n", subfolders);
    }

    // True when applied; the reason lands in `reason`.
    bool ApplyIn(const std::string& desktop, const std::string& file, const std::string& path = "")
    {
        return InChild(desktop, path, [&] {
                   const auto outcome =
                       LinuxDesktopTheme().apply(std::filesystem::path(file).u16string());
                   writeBytes(reason, std::filesystem::path(outcome.reason).string());
                   return outcome.applied ? 0 : 1;
               }) == 0;
    }
    std::string Reason() const { return readBytes(reason); }
};

TEST_F(DesktopThemeTest, GnomeFamilyKeepsGtkIconAndCursorThemesInGsettings)
{
    if (!HasSchemaKey("org.gnome.desktop.interface", "gtk-theme"))
        GTEST_SKIP() << "gsettings or the desktop schemas are not installed";
    const std::string gtk = GtkTheme(home / ".themes" / "Nordic Dark");
    const std::string icons =
        Theme(share / "icons" / "Papirus", "[Icon Theme]\nName=Papirus\nDirectories=16x16/apps\n");
    const std::string cursors =
        Theme(home / ".local/share/icons" / "Bibata", "[Icon Theme]\nName=Bibata\n", {"cursors"});

    ASSERT_TRUE(ApplyIn("ubuntu:GNOME", gtk)) << Reason();
    ASSERT_TRUE(ApplyIn("Budgie:GNOME", icons)) << Reason();
    ASSERT_TRUE(ApplyIn("GNOME", cursors)) << Reason();
    EXPECT_EQ(Gsettings("org.gnome.desktop.interface", "gtk-theme"), "'Nordic Dark'\n");
    EXPECT_EQ(Gsettings("org.gnome.desktop.interface", "icon-theme"), "'Papirus'\n");
    EXPECT_EQ(Gsettings("org.gnome.desktop.interface", "cursor-theme"), "'Bibata'\n");

    // Neither Cinnamon's nor MATE's schema is installed here: said, and no crash in GLib.
    EXPECT_FALSE(ApplyIn("X-Cinnamon", gtk));
    EXPECT_NE(Reason().find("org.cinnamon.desktop.interface"), std::string::npos) << Reason();
    EXPECT_FALSE(ApplyIn("MATE", gtk));
    EXPECT_NE(Reason().find("org.mate.interface"), std::string::npos) << Reason();
}

TEST_F(DesktopThemeTest, XfceGetsItsThemesThroughXfconf)
{
    FakeTool("xfconf-query");
    const std::string gtk = GtkTheme(share / "themes" / "Greybird", {"gtk-3.0", "xfwm4"});
    const std::string frames = GtkTheme(home / ".themes" / "Frames", {"xfwm4"});
    const std::string icons =
        Theme(share / "icons" / "elementary", "[Icon Theme]\nDirectories=48x48/apps\n");
    ASSERT_TRUE(ApplyIn("XFCE", gtk, ToolPath())) << Reason();
    ASSERT_TRUE(ApplyIn("XFCE", frames, ToolPath())) << Reason();
    ASSERT_TRUE(ApplyIn("XFCE", icons, ToolPath())) << Reason();
    EXPECT_EQ(readBytes(log),
              "xfconf-query|-c|xsettings|-p|/Net/ThemeName|-n|-t|string|-s|Greybird|\n"
              "xfconf-query|-c|xfwm4|-p|/general/theme|-n|-t|string|-s|Greybird|\n"
              "xfconf-query|-c|xfwm4|-p|/general/theme|-n|-t|string|-s|Frames|\n"
              "xfconf-query|-c|xsettings|-p|/Net/IconThemeName|-n|-t|string|-s|elementary|\n");
}

TEST_F(DesktopThemeTest, PlasmaGetsColourSchemesAndLookAndFeelThroughItsTools)
{
    FakeTool("plasma-apply-colorscheme");
    FakeTool("plasma-apply-lookandfeel");
    const auto colours = share / "color-schemes" / "BreezeDark.colors";
    std::filesystem::create_directories(colours.parent_path());
    writeBytes(colours, "[General]\nName=Breeze Dark\n");
    const auto lookAndFeel = home / ".local/share/plasma/look-and-feel/org.kde.breezedark.desktop";
    std::filesystem::create_directories(lookAndFeel);
    writeBytes(lookAndFeel / "metadata.json", "{}");
    const std::string gtk = GtkTheme(share / "themes" / "Adwaita");

    ASSERT_TRUE(ApplyIn("KDE", colours.string(), ToolPath())) << Reason();
    ASSERT_TRUE(ApplyIn("KDE", (lookAndFeel / "metadata.json").string(), ToolPath())) << Reason();
    // GTK themes are not Plasma's: said, and no tool runs.
    EXPECT_FALSE(ApplyIn("KDE", gtk, ToolPath()));
    EXPECT_NE(Reason().find("GTK"), std::string::npos);
    EXPECT_EQ(readBytes(log), "plasma-apply-colorscheme|BreezeDark|\n"
                              "plasma-apply-lookandfeel|-a|org.kde.breezedark.desktop|\n");
}

TEST_F(DesktopThemeTest, WhatTheDesktopCannotUseIsRefusedWithAReason)
{
    FakeTool("xfconf-query");
    const auto windowsTheme = home / "Luna.theme";
    std::filesystem::create_directories(home);
    writeBytes(windowsTheme, "[Theme]\nDisplayName=Luna\n");
    // Unpacked in the downloads: the desktop looks for it by name and would not find it.
    const std::string downloaded = GtkTheme(home / "Downloads" / "Nordic");
    const std::string noGtk = GtkTheme(share / "themes" / "Metacity", {"metacity-1"});
    const std::string installed = GtkTheme(share / "themes" / "Arc");

    EXPECT_FALSE(ApplyIn("XFCE", windowsTheme.string(), ToolPath()));
    EXPECT_NE(Reason().find("index.theme"), std::string::npos);
    EXPECT_FALSE(ApplyIn("XFCE", downloaded, ToolPath()));
    EXPECT_NE(Reason().find("Nordic"), std::string::npos);
    EXPECT_FALSE(ApplyIn("XFCE", noGtk, ToolPath()));
    EXPECT_FALSE(ApplyIn("XFCE", (home / "gone/index.theme").string(), ToolPath()));
    EXPECT_FALSE(readBytes(log).size()) << readBytes(log);

    EXPECT_FALSE(ApplyIn("LXQt", installed, ToolPath()));
    EXPECT_NE(Reason().find("LXQt"), std::string::npos);
    EXPECT_FALSE(ApplyIn("XFCE", installed, NoTools())); // no xfconf-query
    EXPECT_NE(Reason().find("xfconf-query"), std::string::npos);
    EXPECT_FALSE(ApplyIn("KDE", installed, NoTools()));
}

} // namespace

#endif
