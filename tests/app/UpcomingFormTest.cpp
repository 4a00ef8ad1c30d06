#include "support/TestEnvironment.h"

#include "app/Main.h"
#include "app/UpcomingForm.h"
#include "core/Occurrences.h"
#include "maintenance/RubbishClear.h"
#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "power/SystemRunShutdown.h"
#include "reminders/AlarmClocks.h"
#include "reminders/ClockCalibration.h"
#include "reminders/HalfHourChime.h"
#include "reminders/RestReminders.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

#include <functional>
#include <map>

namespace {

void Arm(QCheckBox* box, std::initializer_list<std::pair<QLineEdit*, QString>> times,
         std::initializer_list<std::pair<QComboBox*, int>> lists)
{
    for (const auto& [edit, text] : times)
        edit->setText(text);
    for (const auto& [list, index] : lists)
        list->setCurrentIndex(index);
    box->setChecked(true);
}

LocalMoment Reading(const QDateTime& t)
{
    return {t.date(), t.time()};
}

// Every kind of timed rule armed at once; the list asked for the coming week must name the
// very seconds in which the ticks across that week make each of them act.
TEST(Upcoming, TheWeeksListIsWhatTheTicksDo)
{
    TestEnvironment env; // Wednesday 2026/12/09 10:00:00
    env.systemInfo->uptimeMs = 0;
    auto& fixed = env.Start<FixedTimeShutdown, DestineWeekShutdown, ConfineWeekShutdown,
                            SystemRunShutdown, EconomizePowerShutdown, AlarmClocks, RubbishClear,
                            HalfHourChime, ClockCalibration, RestReminders>();
    auto& weekly = env.Feature<DestineWeekShutdown>();
    auto& confine = env.Feature<ConfineWeekShutdown>();
    auto& alarms = env.Feature<AlarmClocks>();
    auto& cleaning = env.Feature<RubbishClear>();
    auto& chime = env.Feature<HalfHourChime>();
    auto& calibration = env.Feature<ClockCalibration>();
    Arm(fixed.FixedTimeCheckBox, {{fixed.FixedTimeMaskEdit, "13:45:10"}},
        {{fixed.FixedDayComboBox, 2}, {fixed.FixedShutDownComboBox, 0}});
    Arm(weekly.DestineWeekCheckBox, {{weekly.DestineWeekTimeEdit, "07:15:00"}},
        {{weekly.DestineWeeksComboBox, 5}, {weekly.DestineWeekShutDownComboBox, 1}});
    Arm(confine.ConfineWeekCheckBox,
        {{confine.ConfineTimeMaskEdit1, "21:30:00"}, {confine.ConfineTimeMaskEdit2, "21:00:00"}},
        {{confine.ConfineWeekComboBox1, 6},
         {confine.ConfineWeekComboBox2, 6},
         {confine.ConfineWeekShutDownComboBox, 2}});
    alarms.AlarmClockWeekUpComboBox->setCurrentIndex(1);
    alarms.AlarmClockWeekDownComboBox->setCurrentIndex(5);
    alarms.AlarmClockFirstHintEdit->setText("起床");
    alarms.AlarmClockSecondHintEdit->setText("下班");
    Arm(alarms.AlarmClockFirstCheckBox, {{alarms.AlarmClockFirstMaskEdit, "08:30:00"}}, {});
    Arm(alarms.AlarmClockSecondCheckBox, {{alarms.AlarmClockSecondMaskEdit, "18:00:05"}}, {});
    Arm(cleaning.DestineWeekClearCheckBox, {}, {{cleaning.DestineWeekClearComboBox, 0}});
    // Counting rules that the week does not reach: they only show their progress.
    auto& run = env.Feature<SystemRunShutdown>();
    Arm(run.SystemRunCheckBox, {{run.SystemRunTimeEdit, "99"}},
        {{run.SystemRunComboBox, 2}, {run.SystemRunShutDownComboBox, 4}});
    auto& idle = env.Feature<EconomizePowerShutdown>();
    Arm(idle.EconomizePowerCheckBox, {{idle.EconomizePowerMaskEdit, "99"}},
        {{idle.EconomizePowerComboBox, 2}, {idle.EconomizePowerShutDownComboBox, 3}});
    ASSERT_EQ(env.ui.calls.size(), 0u);

    auto* chimePlayer = dynamic_cast<FakeSoundPlayer*>(chime.HintTimeMediaPlayer.get());
    ASSERT_TRUE(chimePlayer);
    const auto powerCount = [&](unsigned mode) {
        return [&env, mode] {
            return int(std::count(env.power->requests.begin(), env.power->requests.end(), mode));
        };
    };
    const auto balloons = [&env](const std::function<bool(const QString&)>& which) {
        return [&env, which] {
            const QStringList texts = env.ui.Texts("balloon");
            return int(std::count_if(texts.begin(), texts.end(), which));
        };
    };
    const struct Kind {
        QString feature;
        bool nextOnly; // the list names only the next time of a rule that acts this often
        std::function<int()> acted;
        int powerMode = -1;
    } kinds[] = {
        {"固定时间", false, powerCount(0), 0},
        {"指定星期", false, powerCount(1), 1},
        {"限制时段", false, powerCount(2), 2},
        {"闹钟", false, [&env] { return env.ui.Count("yesonly"); }},
        // The fake cleaner never ends, so only the first one starts: count the notices.
        {"系统清理", false,
         balloons([](const QString& text) { return text == "正在为您清理系统垃圾"; })},
        {"半点报时", true, [chimePlayer] { return int(chimePlayer->log.size()); }},
        {"校准时间", true, [&calibration] { return calibration.GetNetTime.Busy() ? 1 : 0; }},
        {"疲劳提醒", true, balloons([](const QString& text) {
             return text.startsWith("你已经使用电脑") || text == RestReminders::NightText();
         })},
    };

    // Stepped in UTC terms: the same wall-clock readings without a zone lookup each second.
    const QDateTime start(env.clock->Current().date(), env.clock->Current().time(), Qt::UTC);
    const QDateTime end = start.addDays(7);
    const UpcomingList list = env.Host().Context().Upcoming(Reading(start), Reading(end));

    // A rule acts when its count grows after a tick in which it did not (the restricted
    // period acts on every tick of the period: its start is what counts).
    std::map<QString, std::vector<QDateTime>> acted;
    std::vector<int> counts(std::size(kinds));
    std::vector<bool> actedLast(std::size(kinds));
    for (QDateTime t = start; t <= end; t = t.addSecs(1)) {
        env.clock->Set(t);
        env.systemInfo->uptimeMs = std::uint32_t(start.secsTo(t) * 1000);
        env.RunTick();
        for (std::size_t k = 0; k < std::size(kinds); ++k) {
            const int count = kinds[k].acted();
            const bool now = count > counts[k];
            if (now && !actedLast[k])
                acted[kinds[k].feature].push_back(t);
            counts[k] = count;
            actedLast[k] = now;
        }
    }

    for (const Kind& kind : kinds) {
        std::vector<QDateTime> listed;
        for (const Occurrence& item : list.timed)
            if (item.feature == kind.feature) {
                listed.push_back(QDateTime(item.when.date, item.when.time, Qt::UTC));
                EXPECT_EQ(item.powerMode, PowerModeAt(kind.powerMode))
                    << kind.feature.toStdString();
            }
        std::vector<QDateTime> expected = acted[kind.feature];
        if (kind.nextOnly && expected.size() > 1)
            expected.resize(1);
        EXPECT_FALSE(expected.empty()) << kind.feature.toStdString();
        EXPECT_EQ(listed, expected) << kind.feature.toStdString();
    }
    EXPECT_EQ(acted["闹钟"].size(), 10u);
    EXPECT_EQ(acted["系统清理"].size(), 8u);

    const UpcomingList after = env.Host().Context().Upcoming(Reading(end), Reading(end.addDays(7)));
    ASSERT_EQ(after.waiting.size(), 2u);
    EXPECT_EQ(after.waiting[0].condition, "系统运行 99 星期后注销，已计 7 天 0 小时");
    EXPECT_EQ(after.waiting[1].condition, "无人使用 99 天后休眠，已计 7 天 0 小时");

    // Disarmed, a rule answers nothing; the clock calibration has no switch.
    for (QCheckBox* box :
         {fixed.FixedTimeCheckBox, weekly.DestineWeekCheckBox, confine.ConfineWeekCheckBox,
          run.SystemRunCheckBox, idle.EconomizePowerCheckBox, alarms.AlarmClockFirstCheckBox,
          alarms.AlarmClockSecondCheckBox, cleaning.DestineWeekClearCheckBox,
          chime.HintTimeCheckBox, env.Feature<RestReminders>().RestHintCheckBox})
        box->setChecked(false);
    const UpcomingList off = env.Host().Context().Upcoming(Reading(end), Reading(end.addDays(7)));
    EXPECT_TRUE(off.waiting.empty());
    ASSERT_EQ(off.timed.size(), 1u);
    EXPECT_EQ(off.timed[0].feature, "校准时间");
}

TEST(Upcoming, APowerActionBeforeAnAlarmANoteOrATimingMarksThem)
{
    const auto at = [](int day, int h, int m) {
        return LocalMoment{QDate(2026, 12, day), QTime(h, m)};
    };
    const std::vector<Occurrence> timed = {
        {at(9, 7, 0), "闹钟", "早", {}},                              // before any action
        {at(9, 7, 30), "关闭屏幕", "关闭屏幕", PowerMode::ScreenOff}, // screen off ends nothing
        {at(9, 8, 0), "备忘录", "开会", {}},                          // so nothing before it
        {at(9, 22, 0), "闹钟", "同一秒", {}}, // listed first, yet the rule runs first
        {at(9, 22, 0), "固定时间", "休眠", PowerMode::Hibernate}, // two actions that day
        {at(9, 22, 15), "指定星期", "关机", PowerMode::ShutDown}, // the later of them
        {at(9, 22, 30), "闹钟", "晚", {}},      // the nearest action before is named
        {at(9, 23, 0), "定时收音", "新闻", {}}, // a timing as well
        {at(9, 23, 5), "半点报时", "报时", {}}, // a chime is not lost work
        {at(10, 6, 0), "闹钟", "次日", {}},     // another day: the shutdown of the night
    };
    const std::vector<QString> expected = {"",
                                           "",
                                           "",
                                           "休眠将早于 22:00 的闹钟",
                                           "",
                                           "",
                                           "关机将早于 22:30 的闹钟",
                                           "关机将早于 23:00 的定时收音",
                                           "",
                                           "关机（12/09 22:15）将早于 06:00 的闹钟"};
    EXPECT_EQ(UpcomingForm::ClashMarks(timed), expected);
}

TEST(Upcoming, TheWindowOpensFromTrayAndButtonRefreshesOnlyWhileShownAndMarksClashes)
{
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    UpcomingForm& window = *form.Upcoming;
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.RefreshTimer->isActive());

    const std::function<void()> openers[] = {[&] { form.UpcomingTasks->trigger(); },
                                             [&] { form.UpcomingButton->click(); }};
    for (const auto& open : openers) {
        open();
        EXPECT_TRUE(window.isVisible());
        EXPECT_TRUE(window.RefreshTimer->isActive());
        ASSERT_EQ(window.UpcomingTabs->count(), 2);
        EXPECT_EQ(window.UpcomingTabs->tabText(0), "近期任务");
        EXPECT_EQ(window.UpcomingTabs->tabText(1), "操作记录");
        // The clock calibration is always due within the hour.
        EXPECT_GE(window.UpcomingGrid->rowCount(), 1);
        window.close();
        EXPECT_FALSE(window.RefreshTimer->isActive());
    }
    EXPECT_EQ(form.UpcomingButton->parentWidget(), form.RegularShutDown);

    form.Context().Log("固定时间", "关机", "成功");
    form.Context().Log("闹钟", "闹铃", "已应答");
    form.UpcomingTasks->trigger();
    window.UpcomingTabs->setCurrentIndex(1);
    ASSERT_EQ(window.ActionLogGrid->rowCount(), 2);
    EXPECT_EQ(window.ActionLogGrid->item(0, 2)->text(), "闹钟");
    EXPECT_EQ(window.ActionLogGrid->item(1, 4)->text(), "成功");

    // The list as the window gets it: an alarm at the second of a shutdown, and one after a
    // shutdown of the evening before.
    auto& fixed = *form.Feature<FixedTimeShutdown>();
    auto& alarms = *form.Feature<AlarmClocks>();
    Arm(fixed.FixedTimeCheckBox, {{fixed.FixedTimeMaskEdit, "23:30:00"}},
        {{fixed.FixedDayComboBox, 0}, {fixed.FixedShutDownComboBox, 0}});
    alarms.AlarmClockWeekDownComboBox->setCurrentIndex(6); // every day
    Arm(alarms.AlarmClockFirstCheckBox, {{alarms.AlarmClockFirstMaskEdit, "06:30:00"}}, {});
    Arm(alarms.AlarmClockSecondCheckBox, {{alarms.AlarmClockSecondMaskEdit, "23:30:00"}}, {});
    const LocalMoment now = form.Context().Now();
    const UpcomingList list = form.Context().Upcoming(now, Occurrences::After(now, 2 * 86400));
    const std::vector<QString> marks = UpcomingForm::ClashMarks(list.timed);
    QStringList marked;
    for (std::size_t i = 0; i < marks.size(); ++i)
        if (!marks[i].isEmpty())
            marked << DateText(list.timed[i].when.date) + u' ' + marks[i];
    EXPECT_EQ(marked, QStringList({"2026/12/09 关机将早于 23:30 的闹钟",
                                   "2026/12/10 关机（12/09 23:30）将早于 06:30 的闹钟",
                                   "2026/12/10 关机（12/09 23:30）将早于 23:30 的闹钟",
                                   "2026/12/11 关机（12/09 23:30）将早于 06:30 的闹钟"}));

    // The window lists a whole week: the daily alarm six days on is in it.
    window.close();
    window.UpcomingTabs->setCurrentIndex(0);
    form.UpcomingTasks->trigger();
    QStringList dates;
    for (int r = 0; r < window.UpcomingGrid->rowCount(); ++r)
        dates << window.UpcomingGrid->item(r, 0)->text();
    EXPECT_TRUE(dates.contains(DateText(now.date.addDays(6)))) << dates.join(' ').toStdString();
}

} // namespace
