#include "PlatformUnderTest.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifdef _WIN32
#include "platform/windows/WinRegistry.h"
#include "platform/windows/WinWallpaper.h"
#else
#include "DesktopSandbox.h"
#include "platform/linux/DesktopWallpaper.h"
#endif

namespace {

// A 1 x 1 24-bit bitmap: a picture every system can load.
std::string TinyBitmap()
{
    const unsigned char bytes[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54,   0,    0, 0,  40,
                                   0,   0,   0,  1, 0, 0, 0, 1, 0, 0, 0,    1,    0, 24, 0,
                                   0,   0,   0,  0, 4, 0, 0, 0, 0, 0, 0,    0,    0, 0,  0,
                                   0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0};
    return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

#ifdef _WIN32

TEST(WallpaperTest, TheSystemTakesThePictureIntoTheUserProfile)
{
    TempDir dir;
    const auto picture = dir.path() / "wall.bmp";
    writeBytes(picture, TinyBitmap());
    platform::WinWallpaper wallpaper;
    ASSERT_EQ(wallpaper.apply(picture.u16string()), platform::Wallpaper::Result::Applied);
    platform::WinRegistry registry;
    const auto value = registry.readValue(platform::RegistryRoot::CurrentUser,
                                          u"Control Panel\\Desktop", u"Wallpaper");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(*value, platform::RegistryValue(picture.u16string()));
}

#else

using platform::DesktopWallpaper;
using Kind = DesktopWallpaper::Kind;
using Result = platform::Wallpaper::Result;

TEST(WallpaperTest, DesktopIsTheFirstKnownNameInTheList)
{
    const struct {
        const char* value;
        Kind kind;
    } rows[] = {
        {"GNOME", Kind::Gnome},
        {"ubuntu:GNOME", Kind::Gnome},
        {"Budgie:GNOME", Kind::Gnome},
        {"Unity", Kind::Gnome},
        {"X-Cinnamon", Kind::Cinnamon},
        {"MATE", Kind::Mate},
        {"XFCE", Kind::Xfce},
        {"xfce", Kind::Xfce},
        {"KDE", Kind::Plasma},
        {"LXQt", Kind::Unknown},
        {"", Kind::Unknown},
        {"Pantheon:XFCE", Kind::Xfce},
        {"::", Kind::Unknown},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DesktopWallpaper::Detect(row.value), row.kind) << row.value;
}

class DesktopWallpaperTest : public DesktopSandbox {
protected:
    std::filesystem::path picture = dir.path() / "山水 1.bmp";

    void SetUp() override { writeBytes(picture, TinyBitmap()); }

    Result ApplyIn(const std::string& desktop, const std::string& path = "")
    {
        return Result(InChild(desktop, path,
                              [&] { return int(DesktopWallpaper().apply(picture.u16string())); }));
    }
};

TEST_F(DesktopWallpaperTest, GnomeKeepsThePictureInItsSettingsForLightAndDark)
{
    if (!HasSchemaKey("org.gnome.desktop.background", "picture-uri"))
        GTEST_SKIP() << "gsettings or the desktop schemas are not installed";
    ASSERT_EQ(ApplyIn("ubuntu:GNOME"), Result::Applied);
    const std::string uri = "'file://" + dir.path().string() + "/%E5%B1%B1%E6%B0%B4%201.bmp'\n";
    EXPECT_EQ(Gsettings("org.gnome.desktop.background", "picture-uri"), uri);
    EXPECT_EQ(Gsettings("org.gnome.desktop.background", "picture-uri-dark"), uri);
}

TEST_F(DesktopWallpaperTest, XfceGetsThePictureOnEveryMonitorAndWorkspace)
{
    FakeTool("xfconf-query", "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\\n"
                             "/backdrop/screen0/monitorHDMI-1/workspace0/image-style\\n"
                             "/backdrop/screen0/monitoreDP-1/workspace1/last-image\\n");
    ASSERT_EQ(ApplyIn("XFCE", ToolPath()), Result::Applied);
    const std::string set = "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/";
    EXPECT_EQ(readBytes(log), "xfconf-query|-c|xfce4-desktop|-l|\n" + set +
                                  "monitorHDMI-1/workspace0/last-image|-s|" + picture.string() +
                                  "|\n" + set + "monitoreDP-1/workspace1/last-image|-s|" +
                                  picture.string() + "|\n");
}

TEST_F(DesktopWallpaperTest, XfceWithoutBackdropsGetsOneMade)
{
    FakeTool("xfconf-query");
    ASSERT_EQ(ApplyIn("XFCE", ToolPath()), Result::Applied);
    EXPECT_EQ(readBytes(log), "xfconf-query|-c|xfce4-desktop|-l|\n"
                              "xfconf-query|-c|xfce4-desktop|-p|/backdrop/screen0/monitor0/"
                              "workspace0/last-image|-n|-t|string|-s|" +
                                  picture.string() + "|\n");
}

TEST_F(DesktopWallpaperTest, PlasmaGetsThePictureThroughItsTool)
{
    FakeTool("plasma-apply-wallpaperimage");
    ASSERT_EQ(ApplyIn("KDE", ToolPath()), Result::Applied);
    EXPECT_EQ(readBytes(log), "plasma-apply-wallpaperimage|" + picture.string() + "|\n");
}

TEST_F(DesktopWallpaperTest, AMissingSchemaOrToolOrAnUnknownDesktopIsReported)
{
    // Neither Cinnamon's nor MATE's schema is installed here: reported, and no crash in GLib.
    EXPECT_EQ(ApplyIn("X-Cinnamon"), Result::Failed);
    EXPECT_EQ(ApplyIn("MATE"), Result::Failed);
    EXPECT_EQ(ApplyIn("KDE", NoTools()), Result::Failed);
    EXPECT_EQ(ApplyIn("XFCE", NoTools()), Result::Failed);
    EXPECT_EQ(ApplyIn("LXQt"), Result::Unsupported);
    EXPECT_EQ(ApplyIn(""), Result::Unsupported);
}

#endif

} // namespace
