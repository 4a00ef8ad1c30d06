#include "PlatformUnderTest.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>

#ifdef _WIN32
#include "platform/windows/WinRegistry.h"
#include "platform/windows/WinWallpaper.h"
#else
#include "CommandOutput.h"
#include "platform/linux/DesktopWallpaper.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
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

class DesktopWallpaperTest : public ::testing::Test {
protected:
    TempDir dir;
    std::filesystem::path picture = dir.path() / "山水 1.bmp";
    std::filesystem::path log = dir.path() / "calls.log";

    void SetUp() override { writeBytes(picture, TinyBitmap()); }

    // GLib keeps the settings backend and folders it first saw, so each desktop is tried in a
    // child process with a home of its own.
    Result ApplyIn(const std::string& desktop, const std::string& path = "")
    {
        const pid_t child = fork();
        if (child == 0) {
            setenv("XDG_CURRENT_DESKTOP", desktop.c_str(), 1);
            setenv("GSETTINGS_BACKEND", "keyfile", 1);
            setenv("XDG_CONFIG_HOME", (dir.path() / "config").c_str(), 1);
            if (!path.empty())
                setenv("PATH", path.c_str(), 1);
            DesktopWallpaper wallpaper;
            _exit(int(wallpaper.apply(picture.u16string())));
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? Result(WEXITSTATUS(status)) : Result(99);
    }

    // A stand-in for a desktop tool: records its arguments, one call a line.
    void FakeTool(const std::string& name, const std::string& listing = "")
    {
        const auto file = dir.path() / "bin" / name;
        std::filesystem::create_directories(file.parent_path());
        writeBytes(
            file,
            "#!/bin/sh\nprintf '%s|' \"$@\" >> '" + log.string() + "'\necho >> '" + log.string() +
                "'\n" +
                (listing.empty() ? "" : "case \"$*\" in *-l*) printf '" + listing + "';; esac\n"));
        std::filesystem::permissions(file, std::filesystem::perms::owner_all);
    }
    std::string ToolPath() const { return (dir.path() / "bin").string() + ":/usr/bin:/bin"; }
};

TEST_F(DesktopWallpaperTest, GnomeKeepsThePictureInItsSettingsForLightAndDark)
{
    if (Output("gsettings list-keys org.gnome.desktop.background").find("picture-uri") ==
        std::string::npos)
        GTEST_SKIP() << "gsettings or the desktop schemas are not installed";
    ASSERT_EQ(ApplyIn("ubuntu:GNOME"), Result::Applied);
    const std::string env = "GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME='" +
                            (dir.path() / "config").string() +
                            "' gsettings get org.gnome.desktop.background ";
    const std::string uri = "'file://" + dir.path().string() + "/%E5%B1%B1%E6%B0%B4%201.bmp'\n";
    EXPECT_EQ(Output(env + "picture-uri"), uri);
    EXPECT_EQ(Output(env + "picture-uri-dark"), uri);
}

TEST_F(DesktopWallpaperTest, ADesktopWhoseSchemaIsMissingFails)
{
    // Neither desktop's schema is installed here: reported, and no crash in GLib.
    EXPECT_EQ(ApplyIn("X-Cinnamon"), Result::Failed);
    EXPECT_EQ(ApplyIn("MATE"), Result::Failed);
}

TEST_F(DesktopWallpaperTest, XfceGetsThePictureOnEveryMonitorAndWorkspace)
{
    FakeTool("xfconf-query", "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\\n"
                             "/backdrop/screen0/monitorHDMI-1/workspace0/image-style\\n"
                             "/backdrop/screen0/monitoreDP-1/workspace1/last-image\\n");
    ASSERT_EQ(ApplyIn("XFCE", ToolPath()), Result::Applied);
    const std::string p = picture.string();
    EXPECT_EQ(
        readBytes(log),
        "-c|xfce4-desktop|-l|\n"
        "-c|xfce4-desktop|-p|/backdrop/screen0/monitorHDMI-1/workspace0/last-image|-s|" +
            p + "|\n-c|xfce4-desktop|-p|/backdrop/screen0/monitoreDP-1/workspace1/last-image|-s|" +
            p + "|\n");
}

TEST_F(DesktopWallpaperTest, XfceWithoutBackdropsGetsOneMade)
{
    FakeTool("xfconf-query");
    ASSERT_EQ(ApplyIn("XFCE", ToolPath()), Result::Applied);
    EXPECT_EQ(
        readBytes(log),
        "-c|xfce4-desktop|-l|\n"
        "-c|xfce4-desktop|-p|/backdrop/screen0/monitor0/workspace0/last-image|-n|-t|string|-s|" +
            picture.string() + "|\n");
}

TEST_F(DesktopWallpaperTest, PlasmaGetsThePictureThroughItsTool)
{
    FakeTool("plasma-apply-wallpaperimage");
    ASSERT_EQ(ApplyIn("KDE", ToolPath()), Result::Applied);
    EXPECT_EQ(readBytes(log), picture.string() + "|\n");
}

TEST_F(DesktopWallpaperTest, AMissingToolOrUnknownDesktopIsReported)
{
    EXPECT_EQ(ApplyIn("KDE", (dir.path() / "empty").string()), Result::Failed);
    EXPECT_EQ(ApplyIn("XFCE", (dir.path() / "empty").string()), Result::Failed);
    EXPECT_EQ(ApplyIn("LXQt"), Result::Unsupported);
    EXPECT_EQ(ApplyIn(""), Result::Unsupported);
}

#endif

} // namespace
