#include "support/FakeClockSetter.h"
#include "support/PacedTicks.h"

#include "reminders/AlarmClocks.h"
#include "reminders/ClockCalibration.h"
#include "reminders/HalfHourChime.h"
#include "reminders/Memorandum.h"
#include "reminders/RestReminders.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTableWidget>

namespace {

const QDateTime kStart(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC);

template <typename T> void With(TestEnvironment& env, const std::function<void(T&)>& change)
{
    if (T* feature = env.Host().Find<T>())
        change(*feature);
}

// Every reminder armed, or only the alarms and the notes (then no chime and no calibration
// wakes the program at midnight, when the notes' day changes), with the list, the boxes and
// the switches changed on the way: ticking only in the seconds the schedules name does all
// that ticking every second does, in the same seconds, in far fewer ticks.
TEST(ReminderPacing, TickingOnlyWhenSomethingIsDueMissesNothing)
{
    const TimedEdits edits = {
        {kStart.addSecs(7830),
         [](auto& env) { With<HalfHourChime>(env, [](auto& c) { c.HintTimeCheckBox->click(); }); }},
        {kStart.addSecs(11430),
         [](auto& env) { With<HalfHourChime>(env, [](auto& c) { c.HintTimeCheckBox->click(); }); }},
        {kStart.addSecs(25230),
         [](auto& env) {
             AlarmClocks& alarms = env.template Feature<AlarmClocks>();
             alarms.AlarmClockSecondCheckBox->setChecked(false);
             alarms.AlarmClockSecondMaskEdit->setText("18:00:00");
             alarms.AlarmClockSecondCheckBox->setChecked(true);
         }},
        {kStart.addSecs(27030),
         [](auto& env) { With<RestReminders>(env, [](auto& r) { r.RestHintCheckBox->click(); }); }},
        {kStart.addSecs(34230),
         [](auto& env) { With<RestReminders>(env, [](auto& r) { r.RestHintCheckBox->click(); }); }},
        {kStart.addSecs(54030),
         [](auto& env) {
             env.template Feature<Memorandum>().AppendMemorandum("2026/12/10", "12:00:00", "加");
         }},
    };
    for (const bool all : {true, false}) {
        SCOPED_TRACE(all ? "all reminders" : "alarms and notes");
        QStringList done[2];
        int ticks[2] = {};
        for (const bool everySecond : {true, false}) {
            TestEnvironment env;
            auto setter = std::make_unique<FakeClockSetter>();
            setter->sync = platform::SystemClockSetter::Sync::InStep; // no server asked
            const FakeClockSetter& calibrations = *setter;
            env.platform.clockSetter = std::move(setter);
            // The first midnight brings a note to tomorrow, the second takes one into the past.
            env.WriteProgramFile("Memorandum.txt",
                                 "2026/12/08 9:00:00 昨天\n2026/12/11 8:00:00 后天\n");
            if (all)
                env.Start<Pages::Reminders, HalfHourChime, ClockCalibration, RestReminders>();
            else
                env.Start<Pages::Reminders>();
            AlarmClocks& alarms = env.Feature<AlarmClocks>();
            alarms.AlarmClockWeekDownComboBox->setCurrentIndex(6);
            alarms.AlarmClockFirstMaskEdit->setText("08:30:00");
            alarms.AlarmClockFirstCheckBox->setChecked(true);
            alarms.AlarmClockSecondMaskEdit->setText("23:59:59");
            alarms.AlarmClockSecondCheckBox->setChecked(true);

            QStringList& record = done[everySecond ? 0 : 1];
            const auto count = [&] {
                const HalfHourChime* chime = env.Host().Find<HalfHourChime>();
                return QList<qsizetype>{
                    env.Feature<Memorandum>().MemorandumStringGrid->rowCount(),
                    calibrations.syncQueries,
                    chime ? dynamic_cast<FakeSoundPlayer&>(*chime->HintTimeMediaPlayer).log.size()
                          : 0};
            };
            QList<qsizetype> counts = count();
            const auto note = [&](const QDateTime& t) {
                const QString at = t.toString("dd hh:mm:ss ");
                for (const FakeUi::Call& call : env.ui.calls)
                    record << at + call.kind + u' ' + call.text.left(12);
                env.ui.Clear();
                const QList<qsizetype> now = count();
                for (int i = 0; i < now.size(); ++i)
                    if (now[i] != counts[i])
                        record << at + QStringList{"rows", "calibration", "chime"}[i];
                counts = now;
            };
            ticks[everySecond ? 0 : 1] = TickThroughPaced(
                env, everySecond, kStart, kStart.addSecs((all ? 26 : 50) * 3600), edits, note);
        }
        EXPECT_EQ(done[1].join(u'\n').toStdString(), done[0].join(u'\n').toStdString());
        EXPECT_GT(done[0].size(), all ? 80 : 7);
        EXPECT_LT(ticks[1], all ? 200 : 20);
    }
}

} // namespace
