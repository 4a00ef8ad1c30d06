#include "support/LookCheck.h"
#include "support/TestEnvironment.h"

#include "app/Main.h"
#include "appearance/SystemTheme.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QTabWidget>
#include <QTest>

namespace {

class AnyDesktopTheme : public platform::DesktopTheme {
public:
    Outcome apply(const std::u16string&) override { return {true, {}}; }
    std::u16string desktop() const override { return u"GNOME"; }
};

TEST(ThemePageLook, LinuxThemesAreListedByTheirFoldersAndEveryCaptionIsWhole)
{
    TestEnvironment env;
    env.platform.desktopTheme = std::make_unique<AnyDesktopTheme>();
    env.WriteProgramFile("Themes", "/usr/share/themes/Adwaita-dark/index.theme\n"
                                   "/home/u/.themes/Nordic-Polar/index.theme\n"
                                   "/usr/share/icons/Papirus/index.theme\n"
                                   "/usr/share/color-schemes/BreezeDark.colors\n");
    env.WriteProgramFile("Wallpapers", "/home/u/图片/山水.jpg\n/home/u/图片/海边.png\n");
    TMainForm& form = env.StartForm();
    form.show();
    form.Page->setCurrentWidget(form.SystemTheme);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QStringList shown;
    for (int i = 0; i < form.Feature<::SystemTheme>()->SystemThemeListBox->count(); ++i)
        shown << form.Feature<::SystemTheme>()->SystemThemeListBox->item(i)->text();
    EXPECT_EQ(shown, (QStringList{"Adwaita-dark", "Nordic-Polar", "Papirus", "BreezeDark"}));
    ExpectReadable(&form, form.SystemTheme, "theme-page");
}

} // namespace
