#include "core/ActionLog.h"
#include "../radio/RadioTestSupport.h"
#include "appearance/SystemTheme.h"
#include "core/Weekdays.h"
#include "maintenance/KeyOptimization.h"
#include "maintenance/RubbishClear.h"
#include "power/DestineWeekShutdown.h"
#include "programs/AutoRunPrograms.h"
#include "programs/DisbleProcesses.h"
#include "radio/RadioPlayback.h"
#include "radio/Radiotiming.h"
#include "reminders/AlarmClocks.h"
#include "reminders/ClockCalibration.h"
#include "reminders/Memorandum.h"
#include "support/FakeClockSetter.h"
#include "support/FakeRegistry.h"
#include "support/FakeWallpaper.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>

#include <functional>

namespace {

// The fake clock's day, a Wednesday; it starts at 10:00:00.
const QDate kToday(2026, 12, 9);

QByteArray LogBytes(const TestEnvironment& env, const QString& name = "ActionLog.txt")
{
    QFile file(env.ProgramDir() + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void ArmWeekday(DestineWeekShutdown& rule, int mode)
{
    rule.DestineWeekTimeEdit->setText("10:00:05");
    rule.DestineWeeksComboBox->setCurrentIndex(WeekdayOf(kToday));
    rule.DestineWeekShutDownComboBox->setCurrentIndex(mode);
    rule.DestineWeekCheckBox->setChecked(true);
}

void TickTo(TestEnvironment& env, const QTime& time)
{
    env.clock->Set(kToday, time);
    env.RunTick();
}

// Each kind of event made to happen through its feature, and the lines it leaves: time,
// feature, what was done, result (the date is the fake clock's day throughout).
TEST(ActionLog, EachKindOfEventLeavesItsGbkLineWithCrLf)
{
    struct Row {
        const char* name;
        std::function<void(TestEnvironment&)> run;
        QStringList lines;
    };
    const QString cleaner = "RubbishClear.sh";
    const Row rows[] = {
        {"power rule, accepted and refused",
         [](TestEnvironment& env) {
             DestineWeekShutdown& rule = env.Start<DestineWeekShutdown>();
             ArmWeekday(rule, 2);
             TickTo(env, QTime(10, 0, 5));
             env.power->refused = {2};
             env.clock->Set(kToday.addDays(7), QTime(10, 0, 5));
             env.RunTick();
         },
         {"10:00:05\t定时关机\t指定星期 请求待机\t成功",
          "2026/12/16\t10:00:05\t定时关机\t指定星期 请求待机\t失败"}},
        {"alarm rung and answered half a minute later",
         [](TestEnvironment& env) {
             AlarmClocks& a = *env.Start<Pages::Reminders>().Alarms;
             a.AlarmClockWeekUpComboBox->setCurrentIndex(0);
             a.AlarmClockWeekDownComboBox->setCurrentIndex(6);
             a.AlarmClockFirstMaskEdit->setText("10:00:05");
             a.AlarmClockFirstHintEdit->setText("起床");
             a.AlarmClockFirstCheckBox->setChecked(true);
             env.ui.WhileOpen = [&env](const FakeUi::Call&) { env.clock->AdvanceSeconds(30); };
             TickTo(env, QTime(10, 0, 5));
         },
         {"10:00:05\t闹钟\t第一个闹钟 10:00:05 响铃\t已响铃",
          "10:00:35\t闹钟\t第一个闹钟 10:00:05 响铃\t已确认"}},
        {"note shown",
         [](TestEnvironment& env) {
             env.WriteProgramFile("Memorandum.txt", "2026/12/09 10:00:05 开会\n");
             env.Start<Pages::Reminders>();
             TickTo(env, QTime(10, 0, 5));
         },
         {"10:00:05\t备忘录\t提醒 开会\t已响铃", "10:00:05\t备忘录\t提醒 开会\t已确认"}},
        {"timed radio started",
         [](TestEnvironment& env) {
             env.WriteProgramFile("NetRadio.dat",
                                  radio_test::kCatalogue +
                                      "[国际]\nBBC World Service=http://bbc.example/ws\n");
             env.WriteProgramFile("RadioTiming", "每天 10:00:05 BBC World Service\n");
             env.Start<Pages::Radio>();
             TickTo(env, QTime(10, 0, 5));
         },
         {"10:00:05\t定时收音\t播放 BBC World Service\t已开始"}},
        {"cleaning started and the space it freed",
         [cleaner](TestEnvironment& env) {
             env.Start<RubbishClear>().HandClearButton->click();
             // The figure is the cleaner's own, from the end of its report.
             QFile report(qEnvironmentVariable("QUORLIN_CLEAN_REPORT"));
             ASSERT_TRUE(report.open(QIODevice::WriteOnly));
             report.write("清理完成: 共删除 12 项, 释放 300.0 MB 空间 (314572800 字节)\n");
             report.close();
             env.launcher->running.clear();
             TickTo(env, QTime(10, 0, 7));
         },
         {"10:00:00\t系统清理\t启动清理程序 " + QString() + "%1\t已启动",
          "10:00:07\t系统清理\t清理完成\t删除 12 项, 释放了 300 MB 空间"}},
        {"clock set, and a setting refused",
         [](TestEnvironment& env) {
             env.platform.clockSetter = std::make_unique<FakeClockSetter>();
             ClockCalibration& c = env.Start<ClockCalibration>();
             const qint64 now = env.clock->Current().toMSecsSinceEpoch() / 1000;
             c.TakeNetTime({NetTimeClient::Outcome::Time, now + 90});
             static_cast<FakeClockSetter*>(env.platform.clockSetter.get())->refuse = true;
             c.TakeNetTime({NetTimeClient::Outcome::Time, now - 5});
         },
         {"10:00:00\t校准时间\t按时间服务器调整时钟 拨快 90 秒\t成功",
          "10:00:00\t校准时间\t按时间服务器调整时钟 拨慢 5 秒\t失败"}},
        {"blocked window closed once while it stays open",
         [](TestEnvironment& env) {
             env.WriteProgramFile("DisbleProcessList", "记事本 星期日 星期六 09:00:00 11:00:00\n");
             env.windows->titles = {"记事本"};
             env.Start<DisbleProcesses>();
             TickTo(env, QTime(10, 0, 1));
             TickTo(env, QTime(10, 0, 2));
         },
         {"10:00:01\t程序禁止\t关闭窗口 记事本\t已请求关闭"}},
        {"startup program that cannot start",
         [](TestEnvironment& env) {
             env.WriteProgramFile("AutoRunApplication", "C:\\没有\\a.exe\n");
             env.launcher->codes["C:\\没有\\a.exe"] = 2;
             env.Start<AutoRunPrograms>();
         },
         {"10:00:00\t开机启动\t启动 C:\\没有\\a.exe\t失败 (错误代码 2)"}},
        {"theme and wallpaper changed at exit",
         [](TestEnvironment& env) {
             env.platform.registry = std::make_unique<FakeRegistry>();
             env.platform.wallpaper = std::make_unique<FakeWallpaper>();
             env.WriteProgramFile("Themes", "C:\\T\\Luna.theme\n");
             env.WriteProgramFile("Wallpapers", "D:\\P\\山.jpg\n");
             env.Start<SystemTheme>().ChangeThemeOnExit();
         },
         {"10:00:00\t美化系统\t更换主题 C:\\T\\Luna.theme\t成功",
          "10:00:00\t美化系统\t更换壁纸 D:\\P\\山.jpg\t成功"}},
        {"restart after the one-key optimisation",
         [](TestEnvironment& env) {
             env.platform.registry = std::make_unique<FakeRegistry>();
             env.platform.windowsRegistry = true;
             env.ui.yesNoAnswers = {true};
             env.Start<KeyOptimization>().KeyOptimizationButtonClick();
         },
         {"10:00:00\t一键优化\t请求重启\t成功"}},
    };
    for (const Row& row : rows) {
        TestEnvironment env;
        row.run(env);
        QByteArray expected;
        for (QString line : row.lines)
            expected +=
                QStringEncoder("GBK").encode((line.startsWith("2026/") ? "" : "2026/12/09\t") +
                                             line.replace("%1", env.ProgramDir() + cleaner)) +
                "\r\n";
        EXPECT_EQ(LogBytes(env), expected) << row.name;
    }
}

TEST(ActionLog, AFullFileBecomesTheOlderOneReplacingItAndBothAreReadNewestFirst)
{
    TestEnvironment env;
    const QString dir = env.ProgramDir();
    env.WriteProgramFile("ActionLog.1.txt", "2026/12/01\t9:00:00\told\tgone\tx\n");
    ActionLog log(*env.platform.ansi, dir);
    const QString filler(200, u'填');
    int n = 0;
    // Lines go on until one would pass the limit; that one starts a new file.
    while (LogBytes(env, "ActionLog.1.txt").startsWith("2026/12/01") && n < 10000)
        ASSERT_TRUE(log.Write({kToday, QTime(10, 0, 0)}, "甲", QString::number(n++), filler));
    const QByteArray older = LogBytes(env, "ActionLog.1.txt");
    EXPECT_LE(older.size(), ActionLog::kLimit);
    EXPECT_GT(older.size() + older.indexOf("\r\n") + 2, ActionLog::kLimit);
    EXPECT_EQ(older.count("\r\n"), n - 1);
    EXPECT_EQ(LogBytes(env).count("\r\n"), 1);

    const auto lines = log.NewestFirst(3);
    ASSERT_EQ(lines.size(), 3u);
    for (int i = 0; i < 3; ++i) // the new file first, then the end of the older one
        EXPECT_EQ(lines[size_t(i)][3], QString::number(n - 1 - i));
    EXPECT_EQ(lines[0][4], filler);
}

TEST(ActionLog, ARecordThatCannotBeWrittenChangesNothingElse)
{
    TestEnvironment env;
    QDir().mkpath(env.ProgramDir() + "ActionLog.txt"); // a folder where the file should be
    ArmWeekday(env.Start<DestineWeekShutdown>(), 1);
    TickTo(env, QTime(10, 0, 5));
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{1});
    EXPECT_TRUE(env.ui.calls.empty());
    EXPECT_TRUE(QFileInfo(env.ProgramDir() + "ActionLog.txt").isDir());
    EXPECT_FALSE(env.Host().Context().Actions()->Write({kToday, QTime(10, 0, 6)}, "a", "b", "c"));
}

} // namespace
