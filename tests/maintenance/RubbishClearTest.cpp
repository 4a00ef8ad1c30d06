#include "maintenance/RubbishClear.h"

#include "core/Occurrences.h"
#include "scheduler/TimeText.h"
#include "support/TestEnvironment.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr std::uint64_t MB = 1024 * 1024;
const QString kSection = QStringLiteral("SystemClear");
const QString kCleaning = QStringLiteral("正在为您清理系统垃圾");

class RubbishClearTest : public ::testing::Test {
protected:
    TestEnvironment env;
    FakeLauncher* launcher = env.launcher;

    RubbishClearTest() { Disk(100'000, 60'000); }

    //! A drive of `totalMB` with `freeMB` free to the user (and less than that to root).
    void Disk(std::uint64_t totalMB, std::uint64_t freeMB)
    {
        env.systemInfo->disk = {freeMB * MB + MB - 1, totalMB * MB + MB - 1, freeMB * MB + 9 * MB};
    }
    SettingsFile Settings() { return SettingsFile(*env.platform.profile, env.SettingsPath()); }
    RubbishClear& Start() { return env.Start<RubbishClear>(); }
    RubbishClear& Feature() { return env.Feature<RubbishClear>(); }
    QDate Today() const { return env.clock->Current().date(); }
    int Cleanings(const QString& text = kCleaning) const
    {
        return static_cast<int>(env.ui.Texts("balloon").count(text));
    }
    QDate StoredNextDate() { return Settings().ReadDate(kSection, "NextDate", QDate()); }
    bool StoredClearState() { return Settings().ReadBool(kSection, "ClearState", true); }
    //! Switches the schedule on with option `option` of the period box.
    void Schedule(int option)
    {
        Feature().DestineWeekClearComboBox->setCurrentIndex(option);
        Feature().DestineWeekClearCheckBox->setChecked(true);
    }
    void NextDay() { env.clock->Set(Today().addDays(1), QTime(9, 0, 0)); }
    FeatureContext& Context() { return env.Host().Context(); }
    //! The second of the next tick the program needs, none when it may sleep for good.
    std::optional<qint64> NextTick() { return Context().NextTickSecond(Context().Now()); }
    qint64 NextSecond() { return SecondOf(Context().Now()) + 1; }
};

qint64 At(const QDate& day, const QTime& time = QTime(0, 0))
{
    return SecondOf({day, time});
}

//! The cleanings the view lists from now for `days` days, as seconds.
std::vector<qint64> Listed(TestEnvironment& env, int days)
{
    FeatureContext& ctx = env.Host().Context();
    const LocalMoment now = ctx.Now();
    std::vector<qint64> out;
    for (const Occurrence& o : ctx.Upcoming(now, Occurrences::After(now, days * 86400)).timed)
        out.push_back(SecondOf(o.when));
    return out;
}

TEST_F(RubbishClearTest, LabelShowsTotalUsedAndFreeOnThreeLines)
{
    const struct {
        std::uint64_t totalMB, freeMB;
        bool fails;
        const char16_t* text;
    } rows[] = {
        {100'000, 40'000, false,
         u"系统盘总空间：100000MB  \n系统占用空间：60000MB  \n剩余可用空间：40000MB"},
        {8'000'000, 7'999'999, false,
         u"系统盘总空间：8000000MB  \n系统占用空间：1MB  \n剩余可用空间：7999999MB"},
        {1, 1, true, u"系统盘总空间：0MB  \n系统占用空间：0MB  \n剩余可用空间：0MB"},
    };
    Start();
    for (const auto& row : rows) {
        Disk(row.totalMB, row.freeMB);
        env.systemInfo->diskFails = row.fails;
        env.Tick();
        EXPECT_EQ(Feature().ShowDiskSize->text(), QString::fromUtf16(row.text));
    }
    EXPECT_EQ(env.systemInfo->diskPath, u"/");
}

TEST_F(RubbishClearTest, JunkWarningOnTheFifteenthCheckAtFiveThousandMBOnce)
{
    const QString warning = QStringLiteral(
        "您目前的系统可能存在大量的垃圾会造成系统运行缓慢!建议您使用本软件的清理工具,"
        "能完全清理所有系统垃圾及无用文件,提升您的系统性能");
    for (const std::uint64_t used : {4999u, 5000u}) {
        SCOPED_TRACE(used);
        TestEnvironment fresh;
        auto& info = *fresh.systemInfo;
        info.disk = {(20'000 - used) * MB, 20'000 * MB, (20'000 - used) * MB};
        fresh.Start<RubbishClear>();
        for (int check = 1; check <= 14; ++check)
            fresh.Tick();
        EXPECT_EQ(fresh.ui.Count("balloon"), 0);
        fresh.Tick();
        EXPECT_EQ(fresh.ui.Texts("balloon"), used >= 5000 ? QStringList{warning} : QStringList{});
        for (int check = 0; check < 100; ++check)
            fresh.Tick();
        EXPECT_EQ(fresh.ui.Count("balloon"), used >= 5000 ? 1 : 0);
        // Warned or not, the program sleeps after the first checks.
        FeatureContext& ctx = fresh.Host().Context();
        EXPECT_FALSE(ctx.NextTickSecond(ctx.Now()));
    }
}

TEST_F(RubbishClearTest, DailyCleaningWithoutStoredDateRunsAtOnceThenTomorrow)
{
    Start();
    Schedule(0);
    EXPECT_TRUE(launcher->calls.empty());
    env.Tick();
    ASSERT_EQ(launcher->calls.size(), 1u);
    EXPECT_EQ(launcher->calls[0].path, env.ProgramDir() + "RubbishClear.sh");
    EXPECT_EQ(launcher->calls[0].showMode, platform::CommandLauncher::Minimized);
    EXPECT_EQ(Cleanings(), 1);
    EXPECT_EQ(StoredNextDate(), Today().addDays(1));
    EXPECT_TRUE(StoredClearState());
    env.Tick();
    EXPECT_FALSE(StoredClearState());
    for (int i = 0; i < 50; ++i)
        env.Tick();
    EXPECT_EQ(launcher->calls.size(), 1u);
    launcher->running.clear();
    NextDay();
    env.Tick();
    EXPECT_EQ(launcher->calls.size(), 2u);
    EXPECT_EQ(StoredNextDate(), Today().addDays(1));
}

// Every k weeks is due on the same weekday. The program sleeps until the day comes; the view
// lists the seconds the ticks clean in. A computer asleep at midnight cleans at the first tick
// of that day.
TEST_F(RubbishClearTest, EveryKWeeksIsDueOnTheSameWeekdayAndTheProgramSleepsUntilThen)
{
    const QDate monday(2026, 12, 7);
    for (int weeks = 1; weeks <= 5; ++weeks) {
        SCOPED_TRACE(weeks);
        const int period = 7 * weeks;
        const QDate next = monday.addDays(period);
        TestEnvironment fresh;
        FakeLauncher& starts = *fresh.launcher;
        fresh.clock->Set(monday, QTime(9, 0, 0));
        auto& feature = fresh.Start<RubbishClear>();
        feature.DestineWeekClearComboBox->setCurrentIndex(weeks);
        feature.DestineWeekClearCheckBox->setChecked(true);
        fresh.Tick();
        ASSERT_EQ(starts.calls.size(), 1u);
        EXPECT_EQ(feature.NextClearDate, next);
        for (int check = 0; check < 15; ++check) { // the junk warning counts its checks
            starts.running.clear();
            fresh.Tick();
        }
        FeatureContext& ctx = fresh.Host().Context();
        EXPECT_EQ(ctx.NextTickSecond(ctx.Now()), At(next));
        EXPECT_EQ(Listed(fresh, 3 * period),
                  (std::vector<qint64>{At(next), At(next.addDays(period)),
                                       At(next.addDays(2 * period))}));
        for (int day = 1; day < period; ++day) {
            fresh.clock->Set(monday.addDays(day), QTime(9, 0, 0));
            fresh.Tick();
        }
        EXPECT_EQ(starts.calls.size(), 1u);

        const QTime wake = weeks == 1 ? QTime(8, 0) : QTime(0, 0, 2);
        fresh.clock->Set(next, wake);
        EXPECT_EQ(Listed(fresh, 2 * period),
                  (std::vector<qint64>{At(next, wake), At(next.addDays(period)),
                                       At(next.addDays(2 * period))}));
        fresh.RunTick();
        EXPECT_EQ(starts.calls.size(), 2u);
        EXPECT_EQ(feature.NextClearDate, next.addDays(period));
        EXPECT_EQ(fresh.clock->Current().date().dayOfWeek(), Qt::Monday);
        EXPECT_EQ(SettingsFile(*fresh.platform.profile, fresh.SettingsPath())
                      .ReadInteger(kSection, "WeekClear", -1),
                  period);
        feature.DestineWeekClearCheckBox->setChecked(false);
        EXPECT_TRUE(Listed(fresh, 60).empty());
    }
}

// Each second the drive is asked only for what needs its figures: the page on screen, the
// limit, the warning still to come; and a running cleaner is looked after every second.
TEST_F(RubbishClearTest, TheTicksComeEverySecondOnlyWhileTheFiguresOrTheCleanerAreWatched)
{
    Start();
    EXPECT_EQ(NextTick(), NextSecond());
    for (int check = 0; check < 15; ++check)
        env.Tick();
    ASSERT_EQ(env.ui.Count("balloon"), 1);
    EXPECT_EQ(NextTick(), std::nullopt);
    env.systemInfo->diskPath.clear();
    env.Tick();
    EXPECT_TRUE(env.systemInfo->diskPath.empty()) << "the drive asked with nothing to show";

    int replans = 0;
    Context().SetReplanned([&] { ++replans; });
    env.Host().Window()->show();
    EXPECT_GE(replans, 1);
    EXPECT_EQ(NextTick(), NextSecond());
    env.Host().Window()->hide();
    Feature().SetDiskSizeEdit->setText("95000");
    Feature().DiskSizeCheckBox->setChecked(true);
    EXPECT_EQ(NextTick(), NextSecond());
    Feature().DiskSizeCheckBox->setChecked(false);
    EXPECT_EQ(NextTick(), std::nullopt);

    replans = 0;
    QTest::mouseClick(Feature().HandClearButton, Qt::LeftButton);
    EXPECT_EQ(replans, 1);
    EXPECT_EQ(NextTick(), NextSecond());
    launcher->running.clear();
    env.Tick();
    EXPECT_EQ(NextTick(), std::nullopt);
}

TEST_F(RubbishClearTest, EveryStoredKeyComesBackInItsControlAndInEffectAndIsSavedAsFound)
{
    // The longest period, the largest limit the field takes, a limit kept while its box is
    // off, and a cleaning recorded for a day not yet reached.
    const struct {
        QString key, value;
    } keys[] = {{"WeekClear", "35"},
                {"DestineWeekClearState", "1"},
                {"DiskSize", "999999999"},
                {"DiskSizeState", "0"},
                {"NextDate", DateText(Today().addDays(34))},
                {"ClearState", "1"}};
    for (const auto& k : keys)
        Settings().WriteString(kSection, k.key, k.value);
    RubbishClear& f = Start();
    EXPECT_EQ(f.DestineWeekClearComboBox->currentText(), "每五个星期");
    EXPECT_FALSE(f.DestineWeekClearComboBox->isEnabled());
    EXPECT_TRUE(f.DestineWeekClearCheckBox->isChecked());
    EXPECT_EQ(f.SetDiskSizeEdit->text(), "999999999");
    EXPECT_TRUE(f.SetDiskSizeEdit->isEnabled());
    EXPECT_FALSE(f.DiskSizeCheckBox->isChecked());
    EXPECT_EQ(f.ClearPeriodDays, 35);
    EXPECT_EQ(f.DiskSizeLimitMB, 999999999);
    EXPECT_EQ(f.NextClearDate, Today().addDays(34));
    EXPECT_TRUE(f.ClearState);
    f.SaveSystemClear();
    for (const auto& k : keys)
        EXPECT_EQ(Settings().ReadString(kSection, k.key, "-"), k.value) << k.key.toStdString();

    // Not due: the record of the last cleaning is cleared and nothing starts.
    env.Tick();
    EXPECT_TRUE(launcher->calls.empty());
    EXPECT_FALSE(StoredClearState());
}

// A cleaning still marked under way once the next one's day is reached holds nothing back:
// one started in the last second of a day, one stored for today or a day gone by.
TEST_F(RubbishClearTest, ACleaningMarkedUnderWayForADayReachedDoesNotHoldTheNextBack)
{
    env.clock->Set(Today(), QTime(23, 59, 58));
    Start();
    Schedule(0);
    env.Tick();
    ASSERT_EQ(launcher->calls.size(), 1u);
    launcher->running.clear();
    env.Tick(); // 00:00:00, the day it is due, with its mark still set
    EXPECT_EQ(launcher->calls.size(), 2u);
    EXPECT_EQ(StoredNextDate(), Today().addDays(1));

    for (const int daysAgo : {0, 3}) {
        SCOPED_TRACE(daysAgo);
        TestEnvironment fresh;
        SettingsFile stored(*fresh.platform.profile, fresh.SettingsPath());
        stored.WriteString(kSection, "DestineWeekClearState", "1");
        stored.WriteString(kSection, "NextDate",
                           DateText(fresh.clock->Current().date().addDays(-daysAgo)));
        stored.WriteString(kSection, "ClearState", "1");
        fresh.Start<RubbishClear>();
        fresh.Tick();
        EXPECT_EQ(fresh.launcher->calls.size(), 1u);
    }
}

// A limit that is not a number is refused and nothing is stored; one reached exactly cleans,
// then rests for an hour of checks.
TEST_F(RubbishClearTest, LimitIsANumberAndReachedExactlyCleansThenRestsForAnHourOfChecks)
{
    Settings().WriteInteger(kSection, "DiskSize", 60'000);
    Start();
    for (const QString& text : {QString(), QStringLiteral("   "), QStringLiteral("9999999999")}) {
        Feature().SetDiskSizeEdit->setText(text);
        const QString before = env.SettingsText();
        env.ui.Clear();
        Feature().DiskSizeCheckBox->setChecked(true);
        EXPECT_FALSE(Feature().DiskSizeCheckBox->isChecked());
        EXPECT_TRUE(Feature().SetDiskSizeEdit->isEnabled());
        EXPECT_EQ(env.ui.Count("message"), 1);
        EXPECT_EQ(env.ui.Count("error"), 0);
        EXPECT_EQ(env.SettingsText(), before);
    }
    Feature().SetDiskSizeEdit->setText("60000");
    Disk(100'000, 40'001); // 59 999 MB used
    Feature().DiskSizeCheckBox->setChecked(true);
    env.Tick();
    EXPECT_TRUE(launcher->calls.empty());
    Disk(100'000, 40'000); // exactly the limit
    for (unsigned round = 1; round <= 2; ++round) {
        env.Tick();
        ASSERT_EQ(launcher->calls.size(), round);
        EXPECT_EQ(launcher->calls.back().showMode, platform::CommandLauncher::Minimized);
        EXPECT_EQ(Cleanings(), int(round));
        launcher->running.clear();
        // Each cleaning rests for a whole hour of its own.
        for (int check = 1; check <= 3600; ++check)
            env.Tick();
        EXPECT_EQ(launcher->calls.size(), round);
        EXPECT_FALSE(Feature().DiskClearDone);
    }
}

// The button starts the cleaner in a window and changes nothing else; its end tells the space
// the cleaner reports, and two never run at once.
TEST_F(RubbishClearTest, ManualCleaningTellsTheSpaceItReportsAndNeverTwoRunAtOnce)
{
    // The cleaner ends with this line; the system drive's free space does not move at all
    // (the junk was on a /home or /tmp of its own).
    const auto finish = [&](const QByteArray& report) {
        const QString path = QString::fromLocal8Bit(qgetenv("QUORLIN_CLEAN_REPORT"));
        EXPECT_EQ(path, env.ProgramDir() + "RubbishClear.log"); // the data folder
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(report);
        file.close();
        launcher->running.clear();
        env.Tick();
    };
    Start();
    env.Tick();
    const QString settings = env.SettingsText();
    const QDate next = Feature().NextClearDate;
    QTest::mouseClick(Feature().HandClearButton, Qt::LeftButton);
    ASSERT_EQ(launcher->calls.size(), 1u);
    EXPECT_EQ(launcher->calls[0].showMode, platform::CommandLauncher::Normal);
    EXPECT_EQ(env.SettingsText(), settings);
    EXPECT_EQ(Feature().NextClearDate, next);
    EXPECT_FALSE(Feature().ClearState);
    EXPECT_FALSE(Feature().DiskClearDone);
    EXPECT_EQ(Cleanings(), 0);
    QTest::mouseClick(Feature().HandClearButton, Qt::LeftButton);
    env.Tick();
    EXPECT_EQ(launcher->calls.size(), 1u);
    EXPECT_EQ(env.ui.Texts("balloon"), QStringList{"上一次清理还在进行, 请等它结束后再清理"});
    env.ui.Clear();
    finish("已删除: /tmp/a\n"
           "清理完成: 共删除 1 项, 释放 3072.0 MB 空间 (3221225472 字节)\n");
    EXPECT_EQ(env.ui.Texts("balloon"), QStringList{"清理完成，释放了 3072 MB 空间"});

    // The Windows cleaner writes UTF-16 and names the folders it left alone; a long report
    // is read from its end.
    QTest::mouseClick(Feature().HandClearButton, Qt::LeftButton);
    ASSERT_EQ(launcher->calls.size(), 2u);
    EXPECT_FALSE(QFile::exists(env.ProgramDir() + "RubbishClear.log")) << "the last report stayed";
    const QString windows =
        QStringLiteral("已删除: C:\\Users\\me\\AppData\\Local\\Temp\\x.tmp\r\n").repeated(3001) +
        QStringLiteral("已跳过: C:\\Users\\me (是用户目录本身)\r\n"
                       "清理完成: 共删除 3001 项, 释放 0.0 MB 空间 (3001 字节)\r\n");
    QByteArray utf16("\xff\xfe");
    utf16.append(reinterpret_cast<const char*>(windows.utf16()), windows.size() * 2);
    env.ui.Clear();
    finish(utf16);
    ASSERT_EQ(env.ui.Count("balloon"), 1);
    EXPECT_TRUE(env.ui.Texts("balloon")[0].startsWith(
        "清理完成，释放了 0 MB 空间；1 个目录不能确认是临时或缓存目录，没有清理"))
        << env.ui.Texts("balloon")[0].toStdString();

    // No report: the notice does not make a figure up.
    QTest::mouseClick(Feature().HandClearButton, Qt::LeftButton);
    env.ui.Clear();
    launcher->running.clear();
    env.Tick();
    ASSERT_EQ(env.ui.Count("balloon"), 1);
    EXPECT_TRUE(env.ui.Texts("balloon")[0].startsWith("清理程序已结束, 但没有报告释放了多少空间"));
}

TEST_F(RubbishClearTest, ScheduledCleaningStartsOnAFullDiskAndTheRefusedSaveIsReportedOnce)
{
    Start();
    Schedule(0);
    // The settings can no longer be written, as on a full disk.
    ASSERT_TRUE(QFile::remove(env.SettingsPath()));
    ASSERT_TRUE(QDir().mkpath(env.SettingsPath()));
    env.Tick();
    EXPECT_EQ(launcher->calls.size(), 1u);
    EXPECT_EQ(Cleanings(), 1);
    for (int i = 0; i < 5; ++i)
        env.Tick();
    ASSERT_EQ(env.ui.Count("error"), 1);
    EXPECT_TRUE(env.ui.Texts("error")[0].contains("Unable to write to"));
    EXPECT_EQ(Feature().NextClearDate, Today().addDays(1));
    EXPECT_FALSE(Feature().ClearState);
    launcher->running.clear();
    NextDay();
    env.Tick();
    EXPECT_EQ(launcher->calls.size(), 2u);
}

TEST_F(RubbishClearTest, CleanerThatCannotStartIsReportedAndTheScheduleStillMovesOn)
{
    const struct {
        unsigned code;
        const char* says;
    } rows[] = {{2, "没有找到清理程序 "}, {5, "无法启动清理程序 "}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.code);
        TestEnvironment fresh;
        fresh.launcher->codes[fresh.ProgramDir() + "RubbishClear.sh"] = row.code;
        auto& feature = fresh.Start<RubbishClear>();
        feature.DestineWeekClearCheckBox->setChecked(true);
        fresh.Tick();
        const QStringList balloons = fresh.ui.Texts("balloon");
        ASSERT_EQ(balloons.size(), 2);
        EXPECT_EQ(balloons[0], kCleaning);
        EXPECT_TRUE(balloons[1].startsWith(row.says)) << balloons[1].toStdString();
        SettingsFile stored(*fresh.platform.profile, fresh.SettingsPath());
        EXPECT_EQ(stored.ReadDate(kSection, "NextDate", QDate()),
                  fresh.clock->Current().date().addDays(1));
        EXPECT_TRUE(stored.ReadBool(kSection, "ClearState", false));
    }
}

} // namespace
