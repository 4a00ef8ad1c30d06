#include "support/FakeClockSetter.h"
#include "support/PacedTicks.h"
#include "support/TestEnvironment.h"

#include "app/Main.h"
#include "maintenance/RubbishClear.h"
#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "reminders/AlarmClocks.h"
#include "reminders/ClockCalibration.h"
#include "reminders/HalfHourChime.h"
#include "reminders/Memorandum.h"
#include "reminders/RestReminders.h"
#include "scheduler/TickPacer.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QStringDecoder>
#include <QTableWidget>

namespace {

const char* const kDays[] = {"每天",   "星期日", "星期一", "星期二",
                             "星期三", "星期四", "星期五", "星期六"};

// What the program did in one day, each line stamped with the second it was seen in.
struct Day {
    QStringList actions;
    QString record; // the program's own record of its actions
    int ticks = 0;
    int firstHourTicks = 0;
};

// Every feature that acts at known times armed, none of those that look every second: the
// paced tick sleeps between what is due.
void ArmTimedFeatures(TestEnvironment& env, TMainForm& form)
{
    const QDate today = env.clock->Current().date();
    auto& fixed = *form.Feature<FixedTimeShutdown>();
    fixed.FixedTimeMaskEdit->setText("12:00:00");
    fixed.FixedTimeCheckBox->setChecked(true);
    auto& destine = *form.Feature<DestineWeekShutdown>();
    destine.DestineWeekTimeEdit->setText("15:30:20");
    destine.DestineWeekCheckBox->setChecked(true);
    // A period from Wednesday (the fake clock's day) evening to Thursday.
    auto& confine = *form.Feature<ConfineWeekShutdown>();
    confine.ConfineWeekComboBox1->setCurrentIndex(3);
    confine.ConfineWeekComboBox2->setCurrentIndex(4);
    confine.ConfineWeekCheckBox->setChecked(true);
    auto& alarms = *form.Feature<AlarmClocks>();
    alarms.AlarmClockWeekUpComboBox->setCurrentIndex(0);
    alarms.AlarmClockWeekDownComboBox->setCurrentIndex(6);
    alarms.AlarmClockFirstMaskEdit->setText("07:00:00");
    alarms.AlarmClockFirstCheckBox->setChecked(true);
    alarms.AlarmClockSecondMaskEdit->setText("13:30:05");
    alarms.AlarmClockSecondCheckBox->setChecked(true);
    form.Feature<HalfHourChime>()->HintTimeCheckBox->setChecked(true);
    form.Feature<RestReminders>()->RestHintCheckBox->setChecked(true);
    auto& cleaning = *form.Feature<RubbishClear>();
    cleaning.DestineWeekClearComboBox->setCurrentIndex(1);
    cleaning.DestineWeekClearCheckBox->setChecked(true);
    cleaning.NextClearDate = today.addDays(1);
    form.Context().Replan();
}

void WriteTimedLists(TestEnvironment& env)
{
    const QDate today = env.clock->Current().date();
    QString notes, timings;
    for (int i = 0; i < 12; ++i) {
        notes += QStringLiteral("%1 %2:%3:07 第%4条备忘录\n")
                     .arg(today.addDays(i % 3).toString(QStringLiteral("yyyy/MM/dd")))
                     .arg(9 + i)
                     .arg(i * 4, 2, 10, QChar(u'0'))
                     .arg(i);
        timings += QStringLiteral("%1 %2:%3:30 中国之声\n")
                       .arg(QString::fromUtf8(kDays[i % 8]))
                       .arg(11 + i)
                       .arg(i * 5, 2, 10, QChar(u'0'));
    }
    env.WriteProgramFile("Memorandum.txt", notes);
    env.WriteProgramFile("RadioTiming", timings);
    QFile::copy(QStringLiteral(QUORLIN_SHIPPED_DIR "/NetRadio.dat"),
                env.ProgramDir() + "NetRadio.dat");
}

// Lives one day from 10:00 on, ticked every second or paced, and returns what was done.
Day LiveADay(bool paced)
{
    TestEnvironment env;
    // Every player, the chime's too, in one log.
    QStringList sounds;
    std::vector<FakeSoundPlayer*> players;
    SoundPlayer::SetFactory([&] {
        auto fake = std::make_unique<FakeSoundPlayer>();
        players.push_back(fake.get());
        if (!env.player)
            env.player = fake.get();
        return fake;
    });
    WriteTimedLists(env);
    TMainForm& form = env.StartForm();
    ArmTimedFeatures(env, form);

    Day day;
    std::size_t ui = 0, power = 0, radio = 0, shell = 0, launches = 0;
    std::vector<qsizetype> heard;
    const QString dir = env.ProgramDir();
    auto seen = [&] {
        const QString at = env.clock->Current().toString(QStringLiteral("HH:mm:ss "));
        auto add = [&](const QString& what) {
            day.actions << at + QString(what).replace(dir, "~/");
        };
        for (; ui < env.ui.calls.size(); ++ui)
            add(env.ui.calls[ui].kind + ' ' + env.ui.calls[ui].text);
        for (; power < env.power->requests.size(); ++power)
            add(QStringLiteral("power %1").arg(env.power->requests[power]));
        // Not the status queries: the playing radio's own look every second.
        for (; radio < std::size_t(env.radio.commands.size()); ++radio)
            if (!env.radio.commands[radio].startsWith(QLatin1String("2:")))
                add("radio " + env.radio.commands[radio]);
        for (; shell < std::size_t(env.shell->opened.size()); ++shell)
            add("open " + env.shell->opened[shell]);
        for (; launches < std::size_t(env.launcher->calls.size()); ++launches)
            add("launch " + env.launcher->calls[launches].path);
        heard.resize(players.size());
        for (std::size_t p = 0; p < players.size(); ++p)
            for (; heard[p] < players[p]->log.size(); ++heard[p])
                add(QStringLiteral("sound%1 %2").arg(p).arg(players[p]->log[heard[p]]));
    };

    const QDateTime end = env.clock->Current().addDays(1);
    const QDateTime hour = env.clock->Current().addSecs(3600);
    if (paced) {
        while (env.clock->Current() < end) {
            const int delayMs = form.PacedTick();
            seen();
            ++day.ticks;
            if (env.clock->Current() < hour)
                ++day.firstHourTicks;
            env.clock->AdvanceMs(delayMs);
        }
    } else {
        // At the real timer's place in each second, as the paced ticks are.
        env.clock->AdvanceMs(TickPacer::kOffsetMs);
        for (; env.clock->Current() < end; env.clock->AdvanceSeconds(1)) {
            form.CountDownTimer();
            seen();
            ++day.ticks;
        }
    }
    if (ActionLog* record = form.Context().Actions()) {
        QFile file(record->Path());
        if (file.open(QIODevice::ReadOnly))
            day.record = QString(QStringDecoder("GB18030")(file.readAll())).replace(dir, "~/");
    }
    env.StopForm();
    SoundPlayer::SetFactory({});
    return day;
}

// The paced tick sleeps through the seconds with nothing due; nothing due may be lost.
TEST(PacedDay, EveryActionOfADayComesAtTheSameSecondAsWithATickEverySecond)
{
    const Day everySecond = LiveADay(false);
    const Day paced = LiveADay(true);
    EXPECT_EQ(paced.actions.join('\n').toStdString(), everySecond.actions.join('\n').toStdString());
    EXPECT_EQ(paced.record.toStdString(), everySecond.record.toStdString());
    // A day that does nothing would prove nothing.
    EXPECT_GT(everySecond.actions.size(), 40) << everySecond.actions.join('\n').toStdString();
    // The first hour holds only timed things (the radio plays from 11:00 on and is looked
    // at every second then): the paced tick sleeps through most of it.
    EXPECT_LT(paced.firstHourTicks, 200) << "paced ticks: " << paced.ticks;
}

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
TEST(PacedDay, TheRemindersAloneWithEditsOnTheWayTickOnlyWhenDueAndMissNothing)
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
