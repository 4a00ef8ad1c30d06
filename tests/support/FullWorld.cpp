#include "FullWorld.h"

#include "TestEnvironment.h"

#include "app/Main.h"
#include "maintenance/RubbishClear.h"
#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/SystemRunShutdown.h"
#include "programs/SafeModes.h"
#include "reminders/AlarmClocks.h"
#include "reminders/HalfHourChime.h"
#include "reminders/RestReminders.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>

namespace FullWorld {

namespace {

const char* const kDays[] = {"每天",   "星期日", "星期一", "星期二",
                             "星期三", "星期四", "星期五", "星期六"};

QString Two(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QChar(u'0'));
}

} // namespace

void WriteLists(TestEnvironment& env, int rows)
{
    const QDate today = env.clock->Current().date();
    QString notes, timings, blocked, startup, themes, wallpapers;
    for (int i = 0; i < rows; ++i) {
        // Notes from the day after tomorrow on, and some today in the evening.
        const QDate date = i % 10 == 0 ? today : today.addDays(2 + i / 10);
        notes += QStringLiteral("%1 %2:%3:00 第%4条备忘录内容\n")
                     .arg(date.toString(QStringLiteral("yyyy/MM/dd")))
                     .arg(18 + i % 5)
                     .arg(Two(i % 60))
                     .arg(i);
        // Every day name, today's included, from noon on.
        timings += QStringLiteral("%1 %2:%3:%4 中国之声\n")
                       .arg(QString::fromUtf8(kDays[i % 8]))
                       .arg(12 + i % 10)
                       .arg(Two(i % 60), Two((i / 60) % 60));
        // Blocked on every weekday span, in the afternoon and evening only.
        blocked +=
            QStringLiteral("窗口%1 %2 %3 %4:00:00 %5:30:00\n")
                .arg(i)
                .arg(QString::fromUtf8(kDays[1 + i % 7]), QString::fromUtf8(kDays[1 + (i + 3) % 7]))
                .arg(13 + i % 8)
                .arg(13 + i % 8);
        startup += QStringLiteral("/opt/程序 %1/run\n").arg(i);
        themes += QStringLiteral("C:\\Themes\\T%1.theme\n").arg(i);
        wallpapers += QStringLiteral("/home/u/图片/%1.jpg\n").arg(i);
    }
    env.WriteProgramFile("Memorandum.txt", notes);
    env.WriteProgramFile("RadioTiming", timings);
    env.WriteProgramFile("DisbleProcessList", blocked);
    env.WriteProgramFile("AutoRunApplication", startup);
    env.WriteProgramFile("Themes", themes);
    env.WriteProgramFile("Wallpapers", wallpapers);
    QFile::remove(env.ProgramDir() + "NetRadio.dat");
    QFile::copy(QStringLiteral(QUORLIN_SHIPPED_DIR "/NetRadio.dat"),
                env.ProgramDir() + "NetRadio.dat");
}

void ArmEverything(TMainForm& window)
{
    auto& fixed = *window.Feature<FixedTimeShutdown>();
    fixed.FixedTimeMaskEdit->setText("12:00:00");
    fixed.FixedTimeCheckBox->setChecked(true);
    auto& destine = *window.Feature<DestineWeekShutdown>();
    destine.DestineWeekTimeEdit->setText("12:00:00");
    destine.DestineWeekCheckBox->setChecked(true);
    // A period on another weekday than the fake clock's Wednesday.
    auto& confine = *window.Feature<ConfineWeekShutdown>();
    confine.ConfineWeekComboBox1->setCurrentIndex(6);
    confine.ConfineWeekComboBox2->setCurrentIndex(6);
    confine.ConfineWeekCheckBox->setChecked(true);
    window.Feature<SystemRunShutdown>()->SystemRunCheckBox->setChecked(true);
    auto& idle = *window.Feature<EconomizePowerShutdown>();
    idle.EconomizePowerMaskEdit->setText("99");
    idle.EconomizePowerComboBox->setCurrentIndex(2);
    idle.EconomizePowerCheckBox->setChecked(true);
    window.Feature<NetStateShutdown>()->NetStateCheckBox->setChecked(true);
    // Both alarms on every weekday, at hours the morning does not reach.
    auto& alarms = *window.Feature<AlarmClocks>();
    alarms.AlarmClockWeekUpComboBox->setCurrentIndex(0);
    alarms.AlarmClockWeekDownComboBox->setCurrentIndex(6);
    alarms.AlarmClockFirstMaskEdit->setText("07:00:00");
    alarms.AlarmClockFirstCheckBox->setChecked(true);
    alarms.AlarmClockSecondMaskEdit->setText("13:30:00");
    alarms.AlarmClockSecondCheckBox->setChecked(true);
    window.Feature<HalfHourChime>()->HintTimeCheckBox->setChecked(true);
    window.Feature<RestReminders>()->RestHintCheckBox->setChecked(true);
    // Weekly cleaning, next due in a week; a disk limit above what the fake disk holds.
    auto& cleaning = *window.Feature<RubbishClear>();
    cleaning.DestineWeekClearComboBox->setCurrentIndex(1);
    cleaning.DestineWeekClearCheckBox->setChecked(true);
    cleaning.NextClearDate = window.Context().Now().date.addDays(7);
    cleaning.SetDiskSizeEdit->setText("900000");
    cleaning.DiskSizeCheckBox->setChecked(true);
    auto& lock = *window.Feature<SafeModes>();
    lock.CheckPasswordMaskEdit->setText("密码");
    lock.PasswordMaskEdit->setText("密码");
    lock.EnableSafeCheckBox->setChecked(true);
}

} // namespace FullWorld
