#include "support/FakeUi.h"

#include "scheduler/SchedulerTick.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(SchedulerTick, RunsChecksInTableOrderReportsEachFailedRuleAndAnErrorEndsTheTick)
{
    FakeUi ui;
    SchedulerTick tick(ui);
    QStringList order;
    tick.SetBeforeChecks([&] { order << "clock"; });
    tick.SetPowerRule(TickCheck::CheckDestineWeek, [&] {
        order << "week";
        return false;
    });
    tick.SetPowerRule(TickCheck::CheckFixedTime, [&] {
        order << "fixed";
        return false;
    });
    tick.SetCheck(TickCheck::CheckRadioTimings, [&] { order << "radio"; });
    tick.SetCheck(TickCheck::CheckAlarmClocks, [&] { order << "alarm"; });
    tick.SetAfterChecks([&] { order << "hide"; });
    ui.WhileOpen = [&](const FakeUi::Call&) { order << "box"; };

    tick.Run();

    EXPECT_EQ(order,
              QStringList({"clock", "fixed", "box", "week", "box", "alarm", "radio", "hide"}));

    // An error ends that tick at the failing check only.
    bool fail = true;
    tick.SetCheck(TickCheck::CheckMemoranda, [&] {
        if (fail)
            throw std::runtime_error("Unable to write to /x");
    });
    order.clear();
    tick.Run();
    EXPECT_EQ(ui.Texts("error"), QStringList({"Unable to write to /x"}));
    EXPECT_FALSE(order.contains("radio")) << order.join(' ').toStdString();
    fail = false;
    tick.Run();
    EXPECT_TRUE(order.contains("radio")) << order.join(' ').toStdString();
}

TEST(SchedulerTick, EachOfTheSixPowerRulesFailsWithItsOwnTextAndAnyOtherCheckWithNone)
{
    const char* const texts[] = {"固定时间关机失败",     "指定星期关机失败",
                                 "限制模式关机失败",     "系统运行关机模式失败",
                                 "智能省电模式启动失败", "智能网络模式启动失败"};
    for (int rule = 0; rule < static_cast<int>(TickCheck::Count); ++rule) {
        FakeUi ui;
        SchedulerTick tick(ui);
        tick.SetPowerRule(static_cast<TickCheck>(rule), [] { return false; });
        tick.Run();
        if (rule >= SchedulerTick::kPowerRules) {
            EXPECT_TRUE(ui.calls.empty()) << "check " << rule;
            continue;
        }
        ASSERT_EQ(ui.Texts("message").size(), 1) << "rule " << rule;
        const QString text = ui.Texts("message")[0];
        EXPECT_EQ(text, QString(texts[rule]) + ",如在次出现此问题请联系客服邮箱 support@quorlin.app"
                                               ",感谢您的使用");
        EXPECT_EQ(text, SchedulerTick::FailureMessage(static_cast<TickCheck>(rule)));
    }
}

TEST(SchedulerTick, ARuleThatKeepsFailingShowsOneBoxAtATimeWhileTicksGoOn)
{
    FakeUi ui;
    SchedulerTick tick(ui);
    int runs = 0;
    int alarms = 0;
    tick.SetPowerRule(TickCheck::CheckConfineWeek, [&] {
        ++runs;
        return false;
    });
    tick.SetCheck(TickCheck::CheckAlarmClocks, [&] { ++alarms; });
    // Three more ticks arrive while the first failure box is open.
    int nested = 0;
    ui.WhileOpen = [&](const FakeUi::Call&) {
        while (nested < 3) {
            ++nested;
            tick.Run();
        }
    };

    tick.Run();
    EXPECT_EQ(runs, 4) << "every tick still runs the check";
    EXPECT_EQ(alarms, 4) << "other features stay alive while the box is open";
    EXPECT_EQ(ui.Count("message"), 1);

    tick.Run(); // the box was answered: a new failure gets a new box
    EXPECT_EQ(ui.Count("message"), 2);
}

} // namespace
