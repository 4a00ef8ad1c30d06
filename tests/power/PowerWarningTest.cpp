#include "PowerTestSupport.h"

#include "core/Weekdays.h"
#include "power/PowerWarning.h"
#include "power/PowerWarningForm.h"
#include "ui/QtUiServices.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

using namespace power_test;

const QTime kDue(10, 0, 5); // the fake clock starts on Wednesday 10:00:00

// The six rules and the warning; on with `seconds` unless empty.
PowerWarning& Start(TestEnvironment& env, const QString& seconds)
{
    env.Start<Pages::PowerRules, PowerWarning>();
    PowerWarning& w = env.Feature<PowerWarning>();
    if (!seconds.isEmpty()) {
        w.WarnSecondsEdit->setText(seconds);
        w.WarnBeforeActionCheckBox->setChecked(true);
    }
    return w;
}

void ArmWeekday(TestEnvironment& env, int mode)
{
    Arm(*env.View().DestineWeeks, kDue.toString("HH:mm:ss"), WeekdayOf(kWednesday), mode);
}

// From the first due second to ten past, every day.
void ArmPeriod(TestEnvironment& env)
{
    Arm(*env.View().ConfineWeekTimes, 0, 6, "10:00:05", "10:10:00", 0);
}

bool Showing(const PowerWarning& w)
{
    return w.Form->isVisible();
}

// Each rule, in tick order, armed and brought to its due moment; the answer is its box.
struct RuleCase {
    const char* name;
    std::function<QCheckBox*(TestEnvironment&)> armAndMakeDue;
};

const RuleCase kSixRules[] = {
    {"fixed time",
     [](TestEnvironment& env) {
         Arm(*env.View().FixedTimes, kDue.toString("HH:mm:ss"), 0, 0);
         TickAt(env, kWednesday, kDue);
         return env.View().FixedTimes->FixedTimeCheckBox;
     }},
    {"weekday",
     [](TestEnvironment& env) {
         ArmWeekday(env, 0);
         TickAt(env, kWednesday, kDue);
         return env.View().DestineWeeks->DestineWeekCheckBox;
     }},
    {"restricted period",
     [](TestEnvironment& env) {
         ArmPeriod(env);
         TickAt(env, kWednesday, kDue);
         return env.View().ConfineWeekTimes->ConfineWeekCheckBox;
     }},
    {"run time",
     [](TestEnvironment& env) {
         Arm(*env.View().SystemRunTimes, "01", 0, 0);
         env.systemInfo->uptimeMs = 2 * 3'600'000u;
         env.Tick();
         return env.View().SystemRunTimes->SystemRunCheckBox;
     }},
    {"idle",
     [](TestEnvironment& env) {
         Arm(*env.View().EconomizePowers, "01", 0, 0);
         Ticks(env, 60);
         return env.View().EconomizePowers->EconomizePowerCheckBox;
     }},
    {"network",
     [](TestEnvironment& env) {
         NetStateShutdown& r = *env.View().NetStates;
         r.NetStateMaskEdit->setText("01");
         r.NetStateCheckBox->setChecked(true);
         r.NetStateFailures.store(60);
         env.Tick();
         return r.NetStateCheckBox;
     }},
};

TEST(PowerWarning, NoAnswerActsOnceAtTheEndActNowAtOnceSkipNotAtAllAndAFailureIsShown)
{
    struct Row {
        const char* name;
        const char* button; // clicked as the countdown opens, or none
        bool refused;
        int ticksToAction; // after the tick that opened the countdown; -1 never
    } rows[] = {{"no answer", nullptr, false, 10},
                {"act now", "ActNowButton", false, 0},
                {"skip", "SkipOnceButton", false, -1},
                {"refused at the end", nullptr, true, 10}};
    for (const Row& row : rows) {
        TestEnvironment env;
        PowerWarning& w = Start(env, "10");
        // The program must wake in the next second while a countdown or its failure waits,
        // and only then.
        const FeatureContext& c = env.Host().Context();
        const auto wakesNext = [&c] { return c.NextTickSecond(c.Now()) == SecondOf(c.Now()) + 1; };
        if (row.refused)
            env.power->refused = {1};
        ArmWeekday(env, 1);
        TickAt(env, kWednesday, kDue);
        EXPECT_TRUE(env.power->requests.empty()) << row.name;
        ASSERT_TRUE(Showing(w)) << row.name;
        EXPECT_TRUE(wakesNext()) << row.name;
        EXPECT_EQ(w.Form->CountdownLabel->text(), "10 秒后将重启") << row.name;
        if (row.button)
            w.Form->findChild<QPushButton*>(row.button)->click();
        if (row.ticksToAction > 0) {
            Ticks(env, row.ticksToAction - 1);
            EXPECT_TRUE(env.power->requests.empty()) << row.name;
            EXPECT_EQ(w.Form->CountdownLabel->text(), "1 秒后将重启") << row.name;
            env.Tick(); // the action; its failure is shown by the next tick
            EXPECT_EQ(wakesNext(), row.refused) << row.name;
        }
        Ticks(env, 30);
        EXPECT_EQ(env.power->requests.size(), row.ticksToAction < 0 ? 0u : 1u) << row.name;
        EXPECT_FALSE(Showing(w)) << row.name;
        EXPECT_FALSE(wakesNext()) << row.name;
        EXPECT_EQ(env.ui.Texts("message"),
                  row.refused ? FailureBox(TickCheck::CheckDestineWeek) : QStringList{})
            << row.name;
    }
}

TEST(PowerWarning, OffByDefaultAndScreenOffIsNeverHeld)
{
    TestEnvironment off;
    PowerWarning& w = Start(off, "");
    EXPECT_FALSE(w.WarnBeforeActionCheckBox->isChecked());
    EXPECT_EQ(w.WarnSecondsEdit->text(), "60");
    ArmWeekday(off, 0);
    TickAt(off, kWednesday, kDue);
    EXPECT_EQ(off.power->requests, std::vector<unsigned>{0});

    TestEnvironment screen;
    PowerWarning& on = Start(screen, "60");
    Arm(*screen.View().EconomizePowers, "01", 0, 5);
    Ticks(screen, 60);
    EXPECT_EQ(screen.power->requests, std::vector<unsigned>{5});
    EXPECT_FALSE(Showing(on));
}

TEST(PowerWarning, InputDuringTheIdleRulesCountdownCancelsItAndTheIdleTimeStartsOver)
{
    TestEnvironment env;
    PowerWarning& w = Start(env, "30");
    Arm(*env.View().EconomizePowers, "01", 0, 3);
    Ticks(env, 80);
    ASSERT_TRUE(Showing(w));
    env.idleInput->Activity();
    EXPECT_FALSE(Showing(w));
    Ticks(env, 59);
    EXPECT_FALSE(Showing(w));
    env.Tick();
    EXPECT_TRUE(Showing(w)); // a full idle minute again
    Ticks(env, 30);
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{3});
}

TEST(PowerWarning, ASkippedRuleStaysArmedAndWarnsAgainOnItsNextOccasion)
{
    struct Row {
        const char* name;
        std::function<void(TestEnvironment&)> arm, beforeNext, next;
    } rows[] = {
        {"weekday: the same second next week", [](TestEnvironment& env) { ArmWeekday(env, 0); },
         [](TestEnvironment& env) { TickThrough(env, kWednesday, kDue, kDue.addSecs(60)); },
         [](TestEnvironment& env) { TickAt(env, kWednesday.addDays(7), kDue); }},
        {"restricted period: the next stay inside it", ArmPeriod,
         [](TestEnvironment& env) { TickThrough(env, kWednesday, kDue, QTime(10, 10, 30)); },
         [](TestEnvironment& env) { TickAt(env, kWednesday.addDays(1), kDue); }},
        {"whole days Monday to Friday: the stay runs over midnight until the next Monday",
         [](TestEnvironment& env) {
             Arm(*env.View().ConfineWeekTimes, 1, 5, "00:00:00", "23:59:59", 0);
         },
         [](TestEnvironment& env) {
             TickAt(env, kWednesday, QTime(23, 59, 59));
             TickAt(env, kWednesday.addDays(1), QTime(0, 0));
             TickAt(env, kWednesday.addDays(2), QTime(23, 59, 59));
             TickAt(env, kWednesday.addDays(3), QTime(12, 0));
         },
         [](TestEnvironment& env) { TickAt(env, kWednesday.addDays(5), QTime(0, 0)); }},
    };
    for (const Row& row : rows) {
        TestEnvironment env;
        PowerWarning& w = Start(env, "10");
        row.arm(env);
        TickAt(env, kWednesday, kDue);
        ASSERT_TRUE(Showing(w)) << row.name;
        w.Form->SkipOnceButton->click();
        row.beforeNext(env);
        EXPECT_FALSE(Showing(w)) << row.name;
        row.next(env);
        EXPECT_TRUE(Showing(w)) << row.name;
        EXPECT_TRUE(env.power->requests.empty()) << row.name;
    }
}

TEST(PowerWarning, SwitchingARuleOffDropsItsCountdownOrItsTurnInTheQueue)
{
    for (int index = 0; index < 6; ++index) {
        const RuleCase& rule = kSixRules[index];
        for (bool waiting : {false, true}) {
            if (waiting && index == 1)
                continue; // the weekday rule is the one in front
            SCOPED_TRACE(testing::Message() << rule.name << (waiting ? ", waiting" : ""));
            TestEnvironment env;
            PowerWarning& w = Start(env, "100");
            // Another rule's countdown first, so that this one waits behind it.
            if (waiting && index != 1) {
                ArmWeekday(env, 1);
                TickAt(env, kWednesday, kDue);
            }
            QCheckBox* box = rule.armAndMakeDue(env);
            ASSERT_TRUE(Showing(w));
            EXPECT_TRUE(env.Host().Context().Power().Holding(static_cast<PowerRule>(index)));
            box->setChecked(false);
            if (waiting)
                w.Form->SkipOnceButton->click();
            EXPECT_FALSE(Showing(w));
            Ticks(env, 30);
            EXPECT_TRUE(env.power->requests.empty());
            EXPECT_FALSE(Showing(w));
        }
    }
}

// Rules that ask on every tick while due, with a countdown first or not: while the failure box
// waits the action keeps failing, and no second box opens on top, also not from a held one.
TEST(PowerWarning, AnActionThatKeepsFailingShowsOneBoxAtATimeHeldOrNot)
{
    for (int index : {2, 3}) {
        for (const char* seconds : {"", "5"}) {
            SCOPED_TRACE(testing::Message() << kSixRules[index].name << ", warning " << seconds);
            TestEnvironment env;
            Start(env, seconds);
            env.power->refused = {0};
            bool opened = false;
            int shownInside = 0; // while the first box waits
            env.ui.WhileOpen = [&](const FakeUi::Call&) {
                if (std::exchange(opened, true))
                    return;
                Ticks(env, 20);
                shownInside = env.ui.Count("message") - 1;
            };
            kSixRules[index].armAndMakeDue(env);
            Ticks(env, 10);
            EXPECT_EQ(shownInside, 0);
            EXPECT_GT(env.power->requests.size(), 2u) << "the rule kept asking";
            EXPECT_EQ(env.ui.Texts("message").mid(0, 1), FailureBox(static_cast<TickCheck>(index)));
        }
    }
}

// The click of the test goes through the window system's path, where a modal box blocks it.
bool ClickReaches(QPushButton* button)
{
    bool reached = false;
    const auto c = QObject::connect(button, &QPushButton::clicked, [&] { reached = true; });
    QWidget* top = button->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {},
                      button->mapTo(top, button->rect().center()));
    QObject::disconnect(c);
    return reached;
}

TEST(PowerWarning, TheCountdownTakesItsAnswerWhileAnotherBoxWaits)
{
    TestEnvironment env;
    PowerWarning& w = Start(env, "30");
    QWidget* main = env.Host().Window();
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main));
    ArmWeekday(env, 0);
    TickAt(env, kWednesday, kDue);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.Form));

    // An alarm rings over the main window and nobody answers it.
    QtUiServices ui;
    ui.SetParent(main);
    bool skipped = false;
    QTimer::singleShot(50, [&] {
        skipped = ClickReaches(w.Form->SkipOnceButton);
        if (auto* box = QApplication::activeModalWidget())
            box->close();
    });
    ui.ShowYesOnly(QStringLiteral("闹钟"));
    EXPECT_TRUE(skipped);
    EXPECT_FALSE(Showing(w));
    Ticks(env, 60);
    EXPECT_TRUE(env.power->requests.empty());
}

TEST(PowerWarning, ARefusedAnswerLeavesTheCountdownRunningToItsEnd)
{
    struct Row {
        const char* name;
        std::function<void(PowerWarning&)> answer;
    } rows[] = {
        {"act now", [](PowerWarning& w) { w.Form->ActNowButton->click(); }},
        {"skip", [](PowerWarning& w) { w.Form->SkipOnceButton->click(); }},
        {"close", [](PowerWarning& w) { w.Form->close(); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestEnvironment env;
        PowerWarning& w = Start(env, "10");
        int asked = 0;
        w.MayAnswer = [&] {
            ++asked;
            return false;
        };
        ArmWeekday(env, 1);
        TickAt(env, kWednesday, kDue);
        row.answer(w);
        QCoreApplication::processEvents(); // a refused close shows the window again
        EXPECT_EQ(asked, 1);
        EXPECT_TRUE(Showing(w));
        EXPECT_TRUE(env.power->requests.empty());
        Ticks(env, 10);
        EXPECT_EQ(env.power->requests, std::vector<unsigned>{1});
        EXPECT_FALSE(Showing(w));
    }
}

TEST(PowerWarning, AnAnswerGivenAfterTheCountdownEndedActsOnNothing)
{
    TestEnvironment env;
    PowerWarning& w = Start(env, "5");
    ArmWeekday(env, 1);
    TickAt(env, kWednesday, kDue);
    // The question stays open past the end; a second click meanwhile asks nothing more.
    int asked = 0;
    w.MayAnswer = [&] {
        ++asked;
        w.Form->SkipOnceButton->click();
        Ticks(env, 5);
        return true;
    };
    w.Form->SkipOnceButton->click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{1});
    EXPECT_FALSE(Showing(w));
}

TEST(PowerWarning, SecondsOutsideTheRangeAreRefusedAndAHandEditedFileIsClamped)
{
    for (const char* typed : {"0", "4", "3601"}) {
        TestEnvironment env;
        EXPECT_FALSE(Start(env, typed).WarnBeforeActionCheckBox->isChecked()) << typed;
        EXPECT_EQ(env.ui.Texts("message"), QStringList{"提醒时间请输入 5 到 3600 之间的整数秒"});
        EXPECT_EQ(Stored(env, "PowerTasks", "WarnBeforeAction"), "0") << typed;
    }
    for (const auto& [stored, shown] : {std::pair{"1", "5"}, {"999999", "3600"}, {"abc", "60"}}) {
        TestEnvironment env;
        WriteSettings(env,
                      QString("[PowerTasks]\nWarnBeforeAction=1\nWarnSeconds=%1\n").arg(stored));
        PowerWarning& w = env.Start<PowerWarning>();
        EXPECT_TRUE(w.WarnBeforeActionCheckBox->isChecked()) << stored;
        EXPECT_EQ(QString::number(w.WarnSeconds), shown) << stored;
    }
}

} // namespace
