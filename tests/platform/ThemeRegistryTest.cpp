#include "appearance/ThemeRegistry.h"
#include "PlatformUnderTest.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using platform::RegistryRoot;
using platform::RegistryValue;
constexpr auto HKCU = RegistryRoot::CurrentUser;

using Write = std::tuple<std::u16string, std::u16string, std::u16string>; // key, name, data

// The system's registry, with every string write recorded and one value name refused.
class RecordingRegistry : public under_test::Registry {
public:
    using Registry::Registry;
    std::vector<Write> writes;
    std::u16string refuse = u"\x01none";

    bool writeString(RegistryRoot r, const std::u16string& p, const std::u16string& n,
                     const std::u16string& d) override
    {
        if (n == refuse)
            return false;
        writes.emplace_back(p, n, d);
        return Registry::writeString(r, p, n, d);
    }
};

const std::u16string CV = u"Software\\Microsoft\\Windows\\CurrentVersion";
const std::u16string TM = CV + u"\\ThemeManager";
const std::u16string LT = CV + u"\\Themes\\LastTheme";
const std::u16string CUR = u"Control Panel\\Cursors";
const std::u16string BIN =
    CV + u"\\Explorer\\CLSID\\{645FF040-5081-101B-9F08-00AA002F954E}\\DefaultIcon";
const std::u16string COMP =
    CV + u"\\Explorer\\CLSID\\{20D04FE0-3AEA-1069-A2D8-08002B30309D}\\DefaultIcon";
const std::u16string DOCS =
    CV + u"\\Explorer\\CLSID\\{450D8FBA-AD25-11D0-98A8-0800361B1103}\\DefaultIcon";
const std::u16string NET =
    CV + u"\\Explorer\\CLSID\\{208D2C60-3AEA-1069-A2D7-08002B30309D}\\DefaultIcon";
const std::u16string PLUS = u"Software\\Microsoft\\Plus!\\Themes\\Current";

// The 29 writes in order, for a theme whose name and folder a row states literally.
std::vector<Write> ThemeWrites(const std::u16string& p, const std::u16string& t,
                               const std::u16string& d)
{
    const std::u16string c = d + t + u"\\Cursors\\", i = d + t + u"\\icons\\";
    return {
        {u"Software\\Microsoft\\MediaPlayer\\Preferences", u"ShellStyleFile", t + u".msstyles"},
        {TM, u"ColorName", u"NormalColor"},
        {TM, u"DllName", d + t + u"\\" + t + u".msstyles"},
        {TM, u"LastUserLangID", u"2052"},
        {TM, u"LoadedBefore", u"1"},
        {TM, u"SizeName", u"NormalSize"},
        {TM, u"ThemeActive", u"1"},
        {TM, u"WCreatedUser", u"1"},
        {LT, u"ThemeFile", d + t + u".theme"},
        {CUR, u"AppStarting", c + u"AppStarting.ani"},
        {CUR, u"Arrow", c + u"Arrow.cur"},
        {CUR, u"Crosshair", c + u"Crosshair.cur"},
        {CUR, u"Help", c + u"Help.cur"},
        {CUR, u"IBeam", c + u"IBeam.cur"},
        {CUR, u"Link", c + u"Link.cur"},
        {CUR, u"No", c + u"No.cur"},
        {CUR, u"SizeNESW", c + u"SizeNESW.cur"},
        {CUR, u"SizeNS", c + u"SizeNS.cur"},
        {CUR, u"SizeNWSE", c + u"SizeNWSE.cur"},
        {CUR, u"SizeWE", c + u"SizeWE.cur"},
        {CUR, u"UpArrow", c + u"UpArrow.cur"},
        {CUR, u"Wait", c + u"Wait.ani"},
        {BIN, u"Empty", i + u"empty.ico"},
        {BIN, u"Full", i + u"Full.ico"},
        {COMP, u"", i + u"mycom.ico"},
        {DOCS, u"", i + u"mydoc.ico"},
        {NET, u"", i + u"network.ico"},
        {LT, u"ThemeFile", p},
        {PLUS, u"", p},
    };
}

class ThemeRegistryTest : public ::testing::Test {
protected:
    TempDir dir;
    RecordingRegistry reg{dir.path()};

    std::optional<RegistryValue> Read(const std::u16string& key, const std::u16string& name)
    {
        return reg.readValue(HKCU, key, name);
    }
};

struct ThemeRow {
    const char* label;
    std::u16string path, name, folder;
};

TEST_F(ThemeRegistryTest, WritesEveryValueOfTheListedThemeInOrder)
{
    const ThemeRow rows[] = {
        {"Autumn", u"C:\\WINDOWS\\Resources\\Themes\\Autumn.theme", u"Autumn",
         u"C:\\WINDOWS\\Resources\\Themes\\"},
        {"dotted name", u"D:\\主题\\My.Dark.theme", u"My.Dark", u"D:\\主题\\"},
        {"upper-case extension", u"E:\\x\\FOO.THEME", u"FOO", u"E:\\x\\"},
        {"no folder, no extension", u"Plain", u"Plain", u""},
        {"Linux path", u"/home/u/Themes/Blue.theme", u"Blue", u"/home/u/Themes/"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        reg.writes.clear();
        const auto parts = appearance::SplitThemePath(row.path);
        EXPECT_EQ(parts.name, row.name);
        EXPECT_EQ(parts.folder, row.folder);

        appearance::ApplyTheme(reg, row.path);
        const auto expected = ThemeWrites(row.path, row.name, row.folder);
        EXPECT_EQ(reg.writes, expected);
        // What the registry holds afterwards: the listed path wins in "ThemeFile".
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const auto& [key, name, data] = expected[i];
            if (i == 8)
                continue;
            EXPECT_EQ(Read(key, name), RegistryValue(data)) << i + 1;
        }
    }
}

TEST_F(ThemeRegistryTest, ARefusedValueStopsTheWritesThatFollow)
{
    reg.refuse = u"Arrow";
    try {
        appearance::ApplyTheme(reg, u"C:\\T\\Refused.theme");
        FAIL() << "no error";
    } catch (const appearance::RegistryWriteError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'Arrow'");
    }
    ASSERT_EQ(reg.writes.size(), 10u); // steps 1 to 10
    EXPECT_EQ(std::get<1>(reg.writes.back()), u"AppStarting");
    EXPECT_NE(Read(CUR, u"Crosshair"),
              RegistryValue(std::u16string(u"C:\\T\\Refused\\Cursors\\Crosshair.cur")));

    reg.refuse = u"";
    reg.writes.clear();
    EXPECT_THROW(appearance::ApplyTheme(reg, u"C:\\T\\Other.theme"),
                 appearance::RegistryWriteError);
    EXPECT_EQ(reg.writes.size(), 24u); // stops at the first default value
}

TEST_F(ThemeRegistryTest, WallpaperValuesNameThePicture)
{
    const std::u16string pic = u"D:\\壁纸\\山水.jpg";
    appearance::ApplyWallpaper(reg, pic);
    const std::vector<Write> expected = {
        {u"Control Panel\\Desktop", u"Wallpaper", pic},
        {u"Control Panel\\Desktop", u"WallpaperStyle", u"2"},
        {u"Software\\Microsoft\\Internet Explorer\\Desktop\\General", u"BackupWallpaper", pic},
        {u"Software\\Microsoft\\Internet Explorer\\Desktop\\General", u"Wallpaper", pic},
        {u"Software\\Microsoft\\Internet Explorer\\Desktop\\General", u"WallpaperStyle", u"2"},
    };
    EXPECT_EQ(reg.writes, expected);
    for (const auto& [key, name, data] : expected)
        EXPECT_EQ(Read(key, name), RegistryValue(data));

    reg.refuse = u"BackupWallpaper";
    try {
        appearance::ApplyWallpaper(reg, u"D:\\b.bmp");
        FAIL() << "no error";
    } catch (const appearance::RegistryWriteError& e) {
        EXPECT_STREQ(e.what(), "Failed to set data for 'BackupWallpaper'");
    }
    EXPECT_EQ(Read(u"Software\\Microsoft\\Internet Explorer\\Desktop\\General", u"Wallpaper"),
              RegistryValue(pic));
}

} // namespace
