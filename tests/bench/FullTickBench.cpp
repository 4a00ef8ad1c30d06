// Cost of one full tick: every landed feature armed, every list at 1,000 rows, nothing due.
// Each iteration is a new second, so no check can skip work for having run in the same one.
#include "support/TestEnvironment.h"

#include "app/Main.h"
#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/SystemRunShutdown.h"
#include "reminders/AlarmClocks.h"

#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>

#include <vector>

namespace {

constexpr int kRows = 1000;

// Notes from the day after tomorrow on, and some today in the evening: none comes due in
// the hour the benchmark walks through (the fake clock starts at 10:00:00).
QString Memoranda(const QDate& today)
{
    QString text;
    for (int i = 0; i < kRows; ++i) {
        const QDate date = i % 10 == 0 ? today : today.addDays(2 + i / 10);
        text += QStringLiteral("%1 %2:%3:00 第%4条备忘录内容\n")
                    .arg(date.toString(QStringLiteral("yyyy/MM/dd")))
                    .arg(18 + i % 5)
                    .arg(i % 60, 2, 10, QChar(u'0'))
                    .arg(i);
    }
    return text;
}

// Every day name, today's included, at times outside the benchmark's hour.
QString Timings()
{
    static const char* days[] = {"每天",   "星期日", "星期一", "星期二",
                                 "星期三", "星期四", "星期五", "星期六"};
    QString text;
    for (int i = 0; i < kRows; ++i)
        text += QStringLiteral("%1 %2:%3:%4 中国之声\n")
                    .arg(QString::fromUtf8(days[i % 8]))
                    .arg(12 + i % 10)
                    .arg(i % 60, 2, 10, QChar(u'0'))
                    .arg((i / 60) % 60, 2, 10, QChar(u'0'));
    return text;
}

void ArmEverything(TMainForm& window)
{
    const FeatureView form{window.Feature<FixedTimeShutdown>(),
                           window.Feature<DestineWeekShutdown>(),
                           window.Feature<ConfineWeekShutdown>(),
                           window.Feature<SystemRunShutdown>(),
                           window.Feature<EconomizePowerShutdown>(),
                           window.Feature<NetStateShutdown>(),
                           window.Feature<AlarmClocks>()};
    form.FixedTimes->FixedTimeMaskEdit->setText("12:00:00");
    form.FixedTimes->FixedTimeCheckBox->setChecked(true);
    form.DestineWeeks->DestineWeekTimeEdit->setText("12:00:00");
    form.DestineWeeks->DestineWeekCheckBox->setChecked(true);
    // A period on another weekday than the fake clock's Wednesday.
    form.ConfineWeekTimes->ConfineWeekComboBox1->setCurrentIndex(6);
    form.ConfineWeekTimes->ConfineWeekComboBox2->setCurrentIndex(6);
    form.ConfineWeekTimes->ConfineWeekCheckBox->setChecked(true);
    form.SystemRunTimes->SystemRunCheckBox->setChecked(true);
    form.EconomizePowers->EconomizePowerMaskEdit->setText("99");
    form.EconomizePowers->EconomizePowerComboBox->setCurrentIndex(2);
    form.EconomizePowers->EconomizePowerCheckBox->setChecked(true);
    form.NetStates->NetStateCheckBox->setChecked(true);
    // Both alarms on every weekday, at hours the benchmark does not reach.
    form.Alarms->AlarmClockWeekUpComboBox->setCurrentIndex(0);
    form.Alarms->AlarmClockWeekDownComboBox->setCurrentIndex(6);
    form.Alarms->AlarmClockFirstMaskEdit->setText("07:00:00");
    form.Alarms->AlarmClockFirstCheckBox->setChecked(true);
    form.Alarms->AlarmClockSecondMaskEdit->setText("13:30:00");
    form.Alarms->AlarmClockSecondCheckBox->setChecked(true);
}

void FullWorldNothingDue(benchmark::State& state)
{
    TestEnvironment env;
    const QDateTime start = env.clock->Current();
    env.WriteProgramFile("Memorandum.txt", Memoranda(start.date()));
    env.WriteProgramFile("RadioTiming", Timings());
    QFile::copy(QStringLiteral(QUORLIN_SHIPPED_DIR "/NetRadio.dat"),
                env.ProgramDir() + "NetRadio.dat");
    TMainForm& form = env.StartForm();
    ArmEverything(form);
    // 10:00:01 to 10:29:59 over and over: a new second every tick, none of them due. Taken
    // beforehand, so that the clock's own arithmetic stays out of the figures.
    std::vector<QDateTime> seconds;
    for (int s = 1; s < 1800; ++s)
        seconds.push_back(start.addSecs(s));
    std::size_t n = 0;
    for (auto _ : state) {
        env.clock->Set(seconds[n++ % seconds.size()]);
        form.CountDownTimer();
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(FullWorldNothingDue);
// A fixed number of ticks for scripts/tick-cost.sh, which divides callgrind's count by it.
BENCHMARK(FullWorldNothingDue)->Name("FullWorldNothingDue/ticks:1000")->Iterations(1000);

} // namespace
