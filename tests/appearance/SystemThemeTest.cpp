#include "support/FakeRegistry.h"
#include "support/FakeWallpaper.h"
#include "support/TestEnvironment.h"

#include "appearance/SystemTheme.h"
#include "scheduler/TimeText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const std::u16string kLastTheme =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\LastTheme";
const std::u16string kDesktop = u"Control Panel\\Desktop";
const QDate kToday(2026, 12, 9); // the fake clock's day

//! A Linux desktop that takes themes, or refuses them with `reason`.
class FakeDesktopTheme : public platform::DesktopTheme {
public:
    QStringList applied;
    std::u16string reason;

    Outcome apply(const std::u16string& file) override
    {
        applied << QString::fromStdU16String(file);
        return {reason.empty(), reason};
    }
    std::u16string desktop() const override { return u"GNOME"; }
};

class SystemThemeTest : public ::testing::Test {
protected:
    SystemThemeTest()
    {
        auto reg = std::make_unique<FakeRegistry>();
        registry = reg.get();
        env.platform.registry = std::move(reg);
        auto wall = std::make_unique<FakeWallpaper>();
        wallpaper = wall.get();
        env.platform.wallpaper = std::move(wall);
    }
    SystemTheme& Start() { return env.Start<SystemTheme>(); }
    //! The close query of the main window; true when the program may exit.
    bool Exit() { return env.Host().Context().RunCloseQuery(); }
    void Settings(const QString& body)
    {
        QFile file(env.SettingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(("[SystemTheme]\r\n" + body).toUtf8());
    }
    QString Section() const
    {
        const QString text = env.SettingsText();
        const qsizetype at = text.indexOf("[SystemTheme]");
        return at < 0 ? QString() : text.mid(at);
    }
    //! The theme that "ThemeFile" names now, or empty when none was applied.
    QString AppliedTheme() const
    {
        return QString::fromStdU16String(registry->Text(kLastTheme, u"ThemeFile"));
    }
    QString AppliedWallpaper() const
    {
        return QString::fromStdU16String(registry->Text(kDesktop, u"Wallpaper"));
    }
    static QString Theme(int i) { return QString("C:\\Themes\\T%1.theme").arg(i); }
    static QString Wall(int i) { return QString("D:\\Pictures\\W%1.jpg").arg(i); }
    void Lists(int themes, int walls)
    {
        QString t, w;
        for (int i = 0; i < themes; ++i)
            t += Theme(i) + "\r\n";
        for (int i = 0; i < walls; ++i)
            w += Wall(i) + "\r\n";
        env.WriteProgramFile("Themes", t);
        env.WriteProgramFile("Wallpapers", w);
    }

    TestEnvironment env;
    FakeRegistry* registry = nullptr;
    FakeWallpaper* wallpaper = nullptr;
};

TEST_F(SystemThemeTest, AddingAThemeOrAWallpaperShowsItsNameAndWritesItsOwnFile)
{
    SystemTheme& f = Start();
    env.ui.fileAnswers = {QString("/home/u/图片/山水.JPEG"), QString("/home/u/noext")};
    f.WallpaperButton->click();
    f.WallpaperButton->click();
    EXPECT_EQ(env.ui.Texts("file"), (QStringList{"请选择壁纸", "请选择壁纸"}));
    EXPECT_EQ(env.ui.lastFileFilter, "*.jpg|*.jpg|*.bmp|*.bmp|*.jpeg|*.jpeg|*.*|*.*");
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    EXPECT_EQ(env.ui.lastFileDirectory, QDir(pictures).exists() ? pictures : QDir::homePath());
    EXPECT_EQ(f.SystemWallpaperListBox->item(0)->text(), "山水");
    EXPECT_EQ(f.SystemWallpaperListBox->item(1)->text(), "noext");
    EXPECT_EQ(env.ReadProgramFile("Wallpapers"), "/home/u/图片/山水.JPEG\r\n/home/u/noext\r\n");
    EXPECT_TRUE(env.ReadProgramFile("Themes").isEmpty());

    env.ui.Clear();
    env.ui.fileAnswers = {QString("C:\\WINDOWS\\Resources\\Themes\\Luna.theme")};
    f.SystemThemeButton->click();
    EXPECT_EQ(env.ui.Texts("file"), QStringList{"请选择要自动更换的主题"});
    EXPECT_EQ(env.ui.lastFileFilter, "*.theme | *.theme");
    EXPECT_EQ(env.ui.lastFileDirectory, QDir::homePath()); // no C:\WINDOWS here
    ASSERT_EQ(f.SystemThemeListBox->count(), 1);
    EXPECT_EQ(f.SystemThemeListBox->item(0)->text(), "Luna");
    EXPECT_EQ(env.ReadProgramFile("Themes"), "C:\\WINDOWS\\Resources\\Themes\\Luna.theme\r\n");

    env.ui.fileAnswers = {std::nullopt}; // cancelled: nothing changes
    f.SystemThemeButton->click();
    EXPECT_EQ(f.ThemeList.size(), 1);
}

TEST_F(SystemThemeTest, ListFilesLoadLineByLineAndOneThatCannotBeWrittenKeepsWhatItShows)
{
    const QString longPath = "C:\\" + QString(250, 'x') + ".theme";
    env.WriteProgramFile("Themes", "C:\\a\\One.theme\r\n\r\nC:\\b\\二.theme\r\n" + longPath +
                                       "\r\nC:\\c\\Last.theme");
    SystemTheme& f = Start();
    ASSERT_EQ(f.ThemeList.size(), 4);
    EXPECT_EQ(f.ThemeList[1], "C:\\b\\二.theme");
    EXPECT_EQ(f.ThemeList[2], longPath); // read whole, however long
    EXPECT_EQ(f.ThemeList[3], "C:\\c\\Last.theme");
    EXPECT_EQ(f.SystemThemeListBox->item(1)->text(), "二");
    EXPECT_TRUE(f.WallpaperList.isEmpty()); // no file

    const QStringList loaded = f.ThemeList;
    QFile::remove(env.ProgramDir() + "Themes");
    QDir().mkpath(env.ProgramDir() + "Themes"); // a folder where the file should be
    env.ui.fileAnswers = {QString("C:\\Luna.theme")};
    f.SystemThemeButton->click();
    f.ClearThemeButton->click();
    EXPECT_EQ(env.ui.Count("message"), 2);
    EXPECT_EQ(f.ThemeList, loaded);
    EXPECT_EQ(f.SystemThemeListBox->count(), 4);
}

TEST_F(SystemThemeTest, DoubleClickPreviewsTheSelectedEntryAndClearingKeepsTheCounters)
{
    Lists(2, 2);
    Settings("ThemeIndex=4\r\nSystemThemeState=1\r\n");
    SystemTheme& f = Start();
    f.SystemThemeListBoxDblClick(); // nothing selected
    EXPECT_TRUE(env.shell->opened.isEmpty());
    f.SystemThemeListBox->setCurrentRow(1);
    emit f.SystemThemeListBox->itemDoubleClicked(f.SystemThemeListBox->item(1));
    f.SystemWallpaperListBox->setCurrentRow(0);
    f.SystemWallpaperListBoxDblClick();
    EXPECT_EQ(env.shell->opened, (QStringList{Theme(1), Wall(0)}));

    // Clearing empties the lists and their files but keeps the counters.
    f.ClearThemeButton->click();
    f.ClearWallpaperButton->click();
    EXPECT_EQ(f.SystemThemeListBox->count(), 0);
    EXPECT_TRUE(env.ReadProgramFile("Themes").trimmed().isEmpty());
    EXPECT_TRUE(env.ReadProgramFile("Wallpapers").trimmed().isEmpty());
    EXPECT_EQ(f.ThemeIndex, 4);

    env.ui.fileAnswers = {QString("C:\\New.theme")};
    f.SystemThemeButton->click();
    ASSERT_TRUE(Exit());
    EXPECT_EQ(AppliedTheme(), "C:\\New.theme");
    EXPECT_TRUE(Section().contains("ThemeIndex=1\r\n"));
}

struct ExitRow {
    const char* label;
    int themes, walls;
    QString stored;  // settings besides the lists; rotation is on in every row
    int theme, wall; // positions applied, -1 none
    QString expect;  // text the section must hold afterwards
};

TEST_F(SystemThemeTest, ChangeAtExit)
{
    const QString today = DateText(kToday);
    const QString in2 = DateText(kToday.addDays(2));
    const ExitRow rows[] = {
        {"in order, index past the end", 3, 0, "ThemeIndex=5\r\n", 0, -1, "ThemeIndex=1\r\n"},
        {"in order, index -1", 3, 2, "ThemeIndex=-1\r\nWallpaperIndex=1\r\n", 0, 1,
         "ThemeIndex=1\r\nWallpaperIndex=2\r\n"},
        {"themes without wallpapers", 2, 0, "ThemeIndex=1\r\nWallpaperIndex=7\r\n", 1, -1,
         "ThemeIndex=2\r\nWallpaperIndex=7\r\n"},
        {"wallpapers without themes", 0, 2, "ThemeIndex=3\r\n", -1, 0,
         "ThemeIndex=3\r\nWallpaperIndex=1\r\n"},
        {"random, first change with two themes", 2, 0, "ThemeChangeMode=1\r\n", 0, -1,
         "ThemeIndex=1\r\n"},
        {"random, next run: three draws", 3, 5, "ThemeChangeMode=1\r\nThemeIndex=1\r\n", 2, 1,
         "ThemeIndex=2\r\nWallpaperIndex=1\r\n"},
        {"random, hand-edited counter below -1", 3, 0, "ThemeChangeMode=1\r\nThemeIndex=-5\r\n", 0,
         -1, "ThemeIndex=-4\r\n"},
        {"every second day, due today", 1, 1,
         "ThemeChangeDateMode=2\r\nThemeDate=" + today + "\r\nThemeChangeState=0\r\n", 0, 0,
         "ThemeChangeState=1\r\nThemeDate=" + in2 + "\r\n"},
        {"every third day, two days ahead", 1, 1,
         "ThemeChangeDateMode=3\r\nThemeDate=" + in2 + "\r\n", -1, -1,
         "ThemeIndex=0\r\nWallpaperIndex=0\r\nThemeChangeState=0\r\nThemeDate=" + in2 + "\r\n"},
        {"daily, exit a week late after a change", 1, 0,
         "ThemeChangeDateMode=1\r\nThemeDate=" + DateText(kToday.addDays(-7)) +
             "\r\nThemeChangeState=1\r\n",
         0, -1, "ThemeChangeState=1\r\nThemeDate=" + DateText(kToday.addDays(1)) + "\r\n"},
        {"every exit, whatever the date", 1, 0,
         "ThemeDate=" + DateText(kToday.addDays(5)) + "\r\nThemeChangeState=1\r\n", 0, -1,
         "ThemeDate=" + DateText(kToday.addDays(5)) + "\r\n"},
        {"unknown change mode", 2, 2, "ThemeChangeMode=5\r\n", -1, -1, "ThemeIndex=0\r\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        registry->values.clear();
        Lists(row.themes, row.walls);
        Settings(row.stored + "SystemThemeState=1\r\n");
        Start();
        ASSERT_TRUE(Exit());
        EXPECT_EQ(AppliedTheme(), row.theme < 0 ? QString() : Theme(row.theme));
        EXPECT_EQ(AppliedWallpaper(), row.wall < 0 ? QString() : Wall(row.wall));
        const QString section = Section();
        for (const QString& line : row.expect.split("\r\n", Qt::SkipEmptyParts))
            EXPECT_TRUE(section.contains(line + "\r\n")) << line.toStdString() << "\n"
                                                         << section.toStdString();
        env.Stop();
    }
}

TEST_F(SystemThemeTest, RandomDrawsGoOnFromWhereTheLastLeftTheGenerator)
{
    Lists(2, 5);
    Settings("ThemeChangeMode=1\r\nSystemThemeState=1\r\n");
    SystemTheme& f = Start();
    f.RotateThemes(); // draws 1-2 for the theme, 3-4 for the wallpaper
    EXPECT_EQ(AppliedTheme(), Theme(0));
    EXPECT_EQ(AppliedWallpaper(), Wall(1));
    f.RotateThemes(); // 5-7 and 8-10
    EXPECT_EQ(AppliedTheme(), Theme(0));
    EXPECT_EQ(AppliedWallpaper(), Wall(2));
    EXPECT_EQ(f.ThemeIndex, 2);
    EXPECT_EQ(f.WallpaperIndex, 2);
}

TEST_F(SystemThemeTest, FirstStartWithADateModeChangesAtTheFirstExit)
{
    Lists(1, 1);
    SystemTheme& f = Start();
    EXPECT_EQ(f.ThemeDate, kToday);
    EXPECT_TRUE(Section().isEmpty()); // loading an absent section writes nothing
    f.SystemThemeDateComboBox->setCurrentIndex(7);
    f.SystemThemeCheckBox->setChecked(true);
    std::vector<Waiting> waiting;
    f.ListWaiting(waiting);
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting[0].condition, DateText(kToday) + " 起第一次退出程序时更换主题和壁纸");
    ASSERT_TRUE(Exit());
    EXPECT_EQ(AppliedTheme(), Theme(0));
    EXPECT_TRUE(Section().contains("ThemeDate=" + DateText(kToday.addDays(7)) + "\r\n"));
}

TEST_F(SystemThemeTest, SwitchingOnTakesTheModesAndSavesTheSevenKeysInOrder)
{
    SystemTheme& f = Start();
    f.ThemeChangeState = true; // a dated change made earlier: switching on starts afresh
    f.ThemeChangeComboBox->setCurrentIndex(1);
    f.SystemThemeDateComboBox->setCurrentIndex(4);
    EXPECT_FALSE(Section().contains("ThemeChangeMode")); // rotation off: nothing saved
    f.SystemThemeCheckBox->setChecked(true);
    EXPECT_FALSE(f.ThemeChangeComboBox->isEnabled());
    EXPECT_FALSE(f.SystemThemeDateComboBox->isEnabled());
    const QString saved = "[SystemTheme]\r\nThemeIndex=0\r\nWallpaperIndex=0\r\n"
                          "ThemeChangeState=0\r\nThemeDate=" +
                          DateText(kToday) +
                          "\r\nThemeChangeMode=1\r\nThemeChangeDateMode=4\r\n"
                          "SystemThemeState=1\r\n";
    EXPECT_EQ(Section().toStdString(), saved.toStdString());

    f.SystemThemeCheckBox->setChecked(false);
    EXPECT_TRUE(f.ThemeChangeComboBox->isEnabled());
    EXPECT_TRUE(
        Section().contains("ThemeChangeMode=1\r\nThemeChangeDateMode=4\r\nSystemThemeState=0"));
}

TEST_F(SystemThemeTest, EveryStoredKeyComesBackInItsControlAndInEffectAndIsSavedAsFound)
{
    // Both counters at the ends of their range, the last entries of both boxes, a change
    // recorded and a date not reached yet.
    Lists(2, 2);
    const struct {
        QString key, value;
    } keys[] = {{"ThemeIndex", "2147483647"}, {"WallpaperIndex", "-2147483648"},
                {"ThemeChangeState", "1"},    {"ThemeDate", DateText(kToday.addDays(7))},
                {"ThemeChangeMode", "1"},     {"ThemeChangeDateMode", "7"},
                {"SystemThemeState", "1"}};
    QString body;
    for (const auto& k : keys)
        body += k.key + "=" + k.value + "\r\n";
    Settings(body);
    SystemTheme& f = Start();
    EXPECT_EQ(f.ThemeChangeComboBox->currentText(), "随机更换");
    EXPECT_EQ(f.SystemThemeDateComboBox->currentText(), "每隔六天");
    EXPECT_FALSE(f.ThemeChangeComboBox->isEnabled());
    EXPECT_FALSE(f.SystemThemeDateComboBox->isEnabled());
    EXPECT_TRUE(f.SystemThemeCheckBox->isChecked());
    EXPECT_EQ(f.ChangeMode, 1);
    EXPECT_EQ(f.DateMode, 7);
    EXPECT_EQ(f.ThemeIndex, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(f.WallpaperIndex, std::numeric_limits<std::int32_t>::min());
    EXPECT_TRUE(f.ThemeChangeState) << "loading keeps the record of a change";
    EXPECT_EQ(f.ThemeDate, kToday.addDays(7));
    // Not due at this exit: nothing changes and the section is saved as it was found.
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(registry->writes.empty());
    const SettingsFile saved(*env.platform.profile, env.SettingsPath());
    for (const auto& k : keys)
        EXPECT_EQ(saved.ReadString("SystemTheme", k.key, "-"), k.value) << k.key.toStdString();
}

TEST_F(SystemThemeTest, RotationOffChangesNothingAtExit)
{
    Lists(2, 2);
    Start();
    ASSERT_TRUE(Exit());
    EXPECT_TRUE(registry->writes.empty());
    EXPECT_TRUE(wallpaper->applied.isEmpty());
    EXPECT_TRUE(Section().isEmpty());
}

TEST_F(SystemThemeTest, ARefusedValueStopsTheChangeButNotTheExit)
{
    Lists(2, 2);
    Settings("ThemeIndex=1\r\nSystemThemeState=1\r\n");
    Start();
    const QString before = Section();
    registry->refuse = u"DllName";
    EXPECT_TRUE(Exit());
    EXPECT_EQ(env.ui.Texts("error"), QStringList{"Failed to set data for 'DllName'"});
    EXPECT_TRUE(AppliedWallpaper().isEmpty());
    EXPECT_TRUE(wallpaper->applied.isEmpty());
    EXPECT_EQ(Section(), before); // nothing saved: the next exit tries the same theme
}

TEST_F(SystemThemeTest, WallpaperReachesTheDesktopOrOneMessageSaysWhyNot)
{
    Lists(0, 2);
    Settings("SystemThemeState=1\r\n");
    SystemTheme& f = Start();
    ASSERT_TRUE(Exit());
    EXPECT_EQ(wallpaper->applied, QStringList{Wall(0)});
    EXPECT_EQ(env.ui.Count("message"), 0);

    wallpaper->result = platform::Wallpaper::Result::Unsupported;
    wallpaper->name = u"LXQt";
    f.RotateThemes();
    f.RotateThemes();
    ASSERT_EQ(env.ui.Count("message"), 1);
    EXPECT_TRUE(env.ui.Texts("message")[0].contains("LXQt"));
    EXPECT_EQ(AppliedWallpaper(), Wall(0)); // the stored values are written all the same
}

TEST_F(SystemThemeTest, OnALinuxDesktopThemesAreOfferedAndAppliedThereOrReportedOnce)
{
    auto owned = std::make_unique<FakeDesktopTheme>();
    FakeDesktopTheme& desktop = *owned;
    env.platform.desktopTheme = std::move(owned);
    const QString nordic = "/usr/share/themes/Nordic/index.theme";
    const QString papirus = "/home/u/.icons/Papirus/index.theme";
    env.WriteProgramFile("Themes", nordic + "\r\n" + papirus + "\r\n");
    Settings("SystemThemeState=1\r\n");
    SystemTheme& f = Start();
    EXPECT_EQ(f.SystemThemeListBox->item(0)->text(), "Nordic"); // not "index"
    ASSERT_TRUE(Exit());
    EXPECT_EQ(desktop.applied, QStringList{nordic});
    EXPECT_TRUE(AppliedTheme().isEmpty()); // the program's own registry file means nothing here
    EXPECT_EQ(env.ui.Count("message"), 0);
    EXPECT_TRUE(env.ReadProgramFile("ActionLog.txt").contains("更换主题 " + nordic + "\t成功"));

    desktop.reason = u"不知道如何为当前桌面（LXQt）更换主题";
    f.RotateThemes();
    f.RotateThemes();
    ASSERT_EQ(env.ui.Count("message"), 1);
    EXPECT_TRUE(env.ui.Texts("message")[0].contains("Papirus"));
    EXPECT_TRUE(env.ui.Texts("message")[0].contains("LXQt"));
    const QString log = env.ReadProgramFile("ActionLog.txt");
    EXPECT_TRUE(log.contains("更换主题 " + papirus + "\t失败"));
    EXPECT_TRUE(log.contains("更换主题 " + nordic + "\t失败"));
    EXPECT_EQ(log.count("成功"), 1);

    // The dialog offers the desktop's theme folders, listed by their names.
    env.ui.fileAnswers = {QString("/home/u/.themes/Arc-Dark/index.theme"),
                          QString("/usr/share/color-schemes/BreezeDark.colors")};
    f.SystemThemeButton->click();
    f.SystemThemeButton->click();
    EXPECT_TRUE(env.ui.lastFileFilter.contains("index.theme"));
    EXPECT_FALSE(env.ui.lastFileFilter.contains("*.theme"));
    EXPECT_EQ(env.ui.lastFileDirectory,
              QDir("/usr/share/themes").exists() ? "/usr/share/themes" : QDir::homePath());
    ASSERT_EQ(f.SystemThemeListBox->count(), 4);
    EXPECT_EQ(f.SystemThemeListBox->item(2)->text(), "Arc-Dark");
    EXPECT_EQ(f.SystemThemeListBox->item(3)->text(), "BreezeDark");
}

} // namespace
