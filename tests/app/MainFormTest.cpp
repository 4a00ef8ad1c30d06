#include "support/LookCheck.h"
#include "support/TestEnvironment.h"

#include "app/IllustratePage.h"
#include "app/Logohint.h"
#include "app/Main.h"
#include "app/Startup.h"
#include "maintenance/KeyOptimization.h"
#include "maintenance/RubbishClear.h"
#include "power/DestineWeekShutdown.h"
#include "power/PowerWarning.h"
#include "power/PowerWarningForm.h"
#include "programs/SafeModes.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace {

TEST(MainForm, HasTheEightPagesInOrderAndItsLinksGoThroughTheShell)
{
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    const QStringList names = {"NetRadio", "RegularShutDown", "ClearRubbish", "SystemTheme",
                               "Alarm",    "GradeFunction",   "Install",      "Illustrate"};
    const QStringList captions = {"网络电台", "关机任务",     "系统清理和优化",
                                  "美化系统", "闹钟与备忘录", "开机启动与程序禁止",
                                  "设置",     "说明"};
    ASSERT_EQ(form.Page->count(), 8);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(form.Page->widget(i)->objectName(), names[i]);
        EXPECT_EQ(form.Page->tabText(i), captions[i]);
    }
    EXPECT_EQ(form.Page->currentWidget(), form.NetRadio);
    EXPECT_EQ(form.Page->tabToolTip(6), "可以增加密码保护设置");
    EXPECT_EQ(form.windowTitle(), "Varnel—Ossory软件");
    EXPECT_TRUE(form.SafeModePanel->isHidden());
    // Tests drive the tick by hand: the wake-up is stopped for good.
    EXPECT_FALSE(form.CountDown->IsActive());
    QStringList items;
    for (QAction* a : form.TrayIconPopupMenu->actions())
        items << a->text();
    EXPECT_EQ(items, QStringList({"近期任务", "访问官网", "使用指南", "退出"}));

    // A tick with nothing armed changes nothing.
    const QString before = env.SettingsText();
    env.clock->Set(QDate(2026, 7, 1), QTime(13, 44, 58));
    env.Tick();
    EXPECT_EQ(env.SettingsText(), before);
    EXPECT_EQ(env.ui.calls.size(), 0u);

    // Help and the web site go through the shell.
    QTest::mouseClick(form.HelpButton, Qt::LeftButton);
    form.Help->trigger();
    QTest::mouseClick(form.AccessWebsiteButton, Qt::LeftButton);
    form.Feature<IllustratePage>()->Label11Click();
    // Both pictures, the help page's and the lock panel's, lead to the web site.
    for (const char* picture : {"Image1", "Image2"})
        QTest::mouseClick(form.findChild<QWidget*>(picture), Qt::LeftButton);
    ASSERT_EQ(env.shell->opened.size(), 6);
    EXPECT_EQ(env.shell->opened[0], env.ProgramDir() + "使用指南.html");
    EXPECT_EQ(env.shell->opened[1], env.shell->opened[0]);
    EXPECT_EQ(env.shell->opened[2], IllustratePage::WebsiteAddress());
    EXPECT_EQ(env.shell->opened[3], IllustratePage::BlogAddress());
    EXPECT_EQ(env.shell->opened[4], IllustratePage::WebsiteAddress());
    EXPECT_EQ(env.shell->opened[5], IllustratePage::WebsiteAddress());
}

// Every caption a user can find in the window: tabs, buttons and boxes, groups, labels,
// menu entries, list entries and the catalogue's categories (without their counts).
QSet<QString> Captions(TMainForm& form)
{
    QSet<QString> out;
    for (int i = 0; i < form.Page->count(); ++i)
        out << form.Page->tabText(i);
    for (auto* w : form.findChildren<QAbstractButton*>())
        out << w->text();
    // The countdown is a window of its own.
    for (auto* w : form.Feature<PowerWarning>()->Form->findChildren<QAbstractButton*>())
        out << w->text();
    for (auto* w : form.findChildren<QGroupBox*>())
        out << w->title();
    for (auto* w : form.findChildren<QLabel*>())
        out << w->text();
    for (auto* a : form.findChildren<QAction*>())
        out << a->text();
    for (auto* box : form.findChildren<QComboBox*>())
        for (int i = 0; i < box->count(); ++i)
            out << box->itemText(i);
    static const QRegularExpression count(QStringLiteral("\\(\\d+\\)$"));
    for (auto* tree : form.findChildren<QTreeWidget*>())
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            out << tree->topLevelItem(i)->text(0).remove(count);
    return out;
}

// Every page shows its captions whole; the disk figures take their three lines above the
// optimisation button; the help page names only controls the window has.
TEST(MainForm, EveryPageShowsItsCaptionsWholeAndTheHelpNamesOnlyItsControls)
{
    TestEnvironment env;
    env.WriteProgramFile("NetRadio.dat", "[我最喜爱的电台]\n");
    env.systemInfo->disk = {41'943'040'000ull, 107'374'182'400ull, 45'000'000'000ull};
    TMainForm& form = env.StartForm();
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    for (int i = 0; i < form.Page->count(); ++i) {
        form.Page->setCurrentIndex(i);
        QTest::qWait(20);
        ExpectReadable(&form, form.Page->widget(i), form.Page->widget(i)->objectName());
    }

    form.Page->setCurrentWidget(form.ClearRubbish);
    env.Tick();
    QTest::qWait(50); // the label's new size reaches the layout
    auto* clear = form.Feature<RubbishClear>();
    auto* optimise = form.Feature<KeyOptimization>();
    ASSERT_TRUE(clear && optimise);
    EXPECT_EQ(clear->ShowDiskSize->text().count('\n'), 2);
    EXPECT_GE(clear->ShowDiskSize->height(), 3 * clear->ShowDiskSize->fontMetrics().height());
    QWidget* page = form.ClearRubbish;
    ExpectReadable(page, clear->SystemClearGroupBox, "SystemClearGroupBox");
    ExpectReadable(page, optimise->KeyOptimizationButton, "KeyOptimizationButton");
    EXPECT_LT(clear->SystemClearGroupBox->mapTo(page, QPoint(0, 0)).y(),
              optimise->KeyOptimizationButton->mapTo(page, QPoint(0, 0)).y());

    QFile help(QStringLiteral(QUORLIN_DIST_DIR) + QStringLiteral("使用指南.html"));
    ASSERT_TRUE(help.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(help.readAll());
    const QSet<QString> captions = Captions(form);
    // The page quotes a control as “…”; messages it cites stand in 「…」.
    static const QRegularExpression quoted(QStringLiteral("“([^”]+)”"));
    int quotes = 0;
    for (const QRegularExpressionMatch& m : quoted.globalMatch(text)) {
        ++quotes;
        EXPECT_TRUE(captions.contains(m.captured(1))) << m.captured(1).toStdString();
    }
    EXPECT_GT(quotes, 5);
}

TEST(MainForm, AutostartIsOnAtTheFirstStartAndStaysOffOnceUnchecked)
{
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    EXPECT_TRUE(form.AutoRunCheckBox->isChecked());
    ASSERT_TRUE(env.autostart->entry.has_value());
    EXPECT_TRUE(QString::fromStdU16String(*env.autostart->entry).endsWith(" -Min"));
    EXPECT_TRUE(env.SettingsText().contains("[AppAutoRun]\r\nAutoRun=1\r\n"));
    EXPECT_EQ(env.ui.calls.size(), 0u);

    form.AutoRunCheckBox->setChecked(false);
    EXPECT_FALSE(env.autostart->entry.has_value());
    EXPECT_TRUE(env.SettingsText().contains("AutoRun=0"));

    env.StopForm();
    TMainForm& again = env.StartForm();
    EXPECT_FALSE(again.AutoRunCheckBox->isChecked());
    EXPECT_FALSE(env.autostart->entry.has_value());

    // A box open inside a check runs a nested event loop; the window may close inside it and
    // the check then goes on to write a setting.
    again.FormClose();
    again.AutoRunCheckBox->setChecked(true);
    EXPECT_TRUE(env.SettingsText().contains("AutoRun=1"));
}

TEST(MainForm, ARefusedAutostartShowsTheErrorAndStoresNothing)
{
    TestEnvironment env;
    env.autostart->refuse = true;
    env.StartForm();
    EXPECT_EQ(env.ui.Texts("error"), QStringList({"拒绝访问"}));
    EXPECT_FALSE(env.SettingsText().contains("AutoRun"));
}

TEST(MainForm, AHiddenStartHidesOnceOnTheFirstTick)
{
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    form.StartHidden = true;
    form.show();
    env.Tick();
    EXPECT_FALSE(form.isVisible() && !form.isMinimized());
    EXPECT_FALSE(form.StartHidden);
    form.TrayIconClick();
    env.Tick();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isMinimized());
}

// Under the lock, letting a power action go or bringing it forward takes the password.
TEST(MainForm, TheLockGuardsTheCountdownsButtons)
{
    struct Row {
        const char* name;
        bool locked;
        std::deque<std::optional<QString>> answers;
        const char* button;
        bool ended;
        std::vector<unsigned> actions; // after the answer and one more tick
        QStringList messages;
    } rows[] = {
        {"unlocked: no question", false, {}, "SkipOnceButton", true, {}, {}},
        {"cancelled", true, {std::nullopt}, "SkipOnceButton", false, {}, {}},
        {"wrong", true, {"Pw"}, "SkipOnceButton", false, {}, {"密码输入错误,请重新输入"}},
        {"right, skip", true, {"pw"}, "SkipOnceButton", true, {}, {}},
        {"wrong, act now", true, {"x"}, "ActNowButton", false, {}, {"密码输入错误,请重新输入"}},
        {"right, act now", true, {"pw"}, "ActNowButton", true, {0}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestEnvironment env;
        TMainForm& form = env.StartForm();
        PowerWarning& warning = *form.Feature<PowerWarning>();
        warning.WarnSecondsEdit->setText("30");
        warning.WarnBeforeActionCheckBox->setChecked(true);
        DestineWeekShutdown& weekly = *form.Feature<DestineWeekShutdown>();
        weekly.DestineWeekTimeEdit->setText("10:00:05");
        weekly.DestineWeeksComboBox->setCurrentIndex(3); // the clock starts on a Wednesday
        weekly.DestineWeekCheckBox->setChecked(true);
        if (row.locked) {
            SafeModes& lock = *form.Feature<SafeModes>();
            lock.PasswordMaskEdit->setText("pw");
            lock.CheckPasswordMaskEdit->setText("pw");
            lock.EnableSafeCheckBox->setChecked(true);
        }
        env.Tick(5);
        ASSERT_TRUE(warning.Form->isVisible());
        env.ui.Clear();
        env.ui.inputAnswers = row.answers;
        warning.Form->findChild<QPushButton*>(row.button)->click();
        env.Tick();
        EXPECT_EQ(env.ui.Count("input"), row.locked ? 1 : 0);
        EXPECT_EQ(env.ui.Texts("message"), row.messages);
        EXPECT_EQ(warning.Form->isVisible(), !row.ended);
        EXPECT_EQ(env.power->requests, row.actions);
    }
}

// At logout nobody answers a box and no password keeps the session alive: the change of
// theme and the close steps run exactly once, whichever ways the end arrives. The session
// manager's call changes the theme at once, but the program goes on until the end.
TEST(MainForm, TheSessionsEndRunsTheCloseStepsOnceWithoutAnyBox)
{
    struct Row {
        const char* name;
        std::function<void(TMainForm&, const int& closeSteps)> end;
        int inputs; // password questions
    } rows[] = {
        {"ended twice",
         [](TMainForm& f, const int&) {
             f.EndSession();
             f.EndSession();
             f.close();
         },
         0},
        {"the session manager's calls, then the end",
         [](TMainForm& f, const int& closeSteps) {
             f.CommitSession();
             f.CommitSession();
             EXPECT_EQ(closeSteps, 0) << "the logout may yet be cancelled: the program goes on";
             f.close(); // the logout closes the window: no password now
             f.EndSession();
         },
         0},
        {"closed by the user, then the end",
         [](TMainForm& f, const int&) {
             f.close();
             f.EndSession();
         },
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestEnvironment env;
        TMainForm& form = env.StartForm();
        SafeModes& lock = *form.Feature<SafeModes>();
        lock.PasswordMaskEdit->setText("pw");
        lock.CheckPasswordMaskEdit->setText("pw");
        lock.EnableSafeCheckBox->setChecked(true);
        int rotations = 0, closeSteps = 0;
        form.Context().OnCloseQuery(CloseQueryStep::ChangeThemeOnExit, [&] {
            ++rotations;
            return true;
        });
        form.Context().OnClose([&] { ++closeSteps; });
        env.ui.Clear();
        env.ui.inputAnswers = {"pw"};
        row.end(form, closeSteps);
        EXPECT_EQ(rotations, 1);
        EXPECT_EQ(closeSteps, 1);
        EXPECT_EQ(env.ui.Count("input"), row.inputs);
        EXPECT_EQ(int(env.ui.calls.size()), row.inputs);
        env.StopForm();
        EXPECT_EQ(closeSteps, 1);
    }
}

TEST(Startup, OnlyExactlyMinStartsHiddenAndAWindowWithTheTitleRefusesASecondCopy)
{
    EXPECT_TRUE(IsHiddenStart({"-Min"}));
    EXPECT_FALSE(IsHiddenStart({"-min"}));
    EXPECT_FALSE(IsHiddenStart({"-MIN"}));
    EXPECT_FALSE(IsHiddenStart({"-Min", "x"}));
    EXPECT_FALSE(IsHiddenStart({}));

    // A second copy is refused when a window with the title exists.
    TestEnvironment env;
    InstanceLock noSocket{QString()};
    EXPECT_FALSE(RefuseSecondInstance(env.platform, env.ui, noSocket));
    EXPECT_EQ(env.ui.calls.size(), 0u);
    env.windows->titles << "Varnel—Ossory软件";
    EXPECT_TRUE(RefuseSecondInstance(env.platform, env.ui, noSocket));
    EXPECT_EQ(env.ui.Texts("message"), QStringList({"程序已经运行"}));
}

// Where windows cannot be translucent (offscreen) it shows without fading or warnings.
TEST(Splash, FadesToTwoHundredFiftyInSixTicksAndClosesOnTheSixteenthWithoutWarnings)
{
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                warnings << text;
        });
    {
        TLogo logo;
        logo.show();
        std::vector<int> opacity;
        for (int i = 0; i < 15; ++i) {
            logo.Timer1Timer();
            opacity.push_back(logo.AlphaBlendValue);
        }
        EXPECT_EQ(std::vector<int>(opacity.begin(), opacity.begin() + 7),
                  std::vector<int>({125, 150, 175, 200, 225, 250, 250}));
        EXPECT_EQ(logo.result(), 0) << "still open after fifteen ticks";
        logo.Timer1Timer();
        EXPECT_EQ(logo.result(), QDialog::Accepted);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.filter("opacity").isEmpty()) << warnings.join('\n').toStdString();
}

} // namespace
