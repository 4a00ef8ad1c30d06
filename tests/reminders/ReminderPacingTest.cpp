#include "support/FakeClockSetter.h"
#include "support/FakeSoundPlayer.h"
#include "support/TestEnvironment.h"

#include "core/FeatureContext.h"
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

#include <functional>
#include <map>

namespace {

// The reminders over one world, with a record of everything they did and when.
struct Reminders {
    TestEnvironment env;
    FakeClockSetter* setter = nullptr;
    QStringList done;

    //! All of them, or only the alarms and the notes: then no chime and no calibration
    //! wakes the program at midnight, when the notes' day changes.
    explicit Reminders(bool all)
    {
        auto fake = std::make_unique<FakeClockSetter>();
        fake->sync = platform::SystemClockSetter::Sync::InStep; // no server asked
        setter = fake.get();
        env.platform.clockSetter = std::move(fake);
        // The first midnight brings a note to tomorrow, the second takes one into the past.
        env.WriteProgramFile("Memorandum.txt",
                             "2026/12/08 9:00:00 昨天\n2026/12/11 8:00:00 后天\n");
        env.Start([all](FeatureHost& host) {
            AlarmClocks& alarms = host.Add<AlarmClocks>();
            host.Add<Memorandum>(alarms);
            if (!all)
                return;
            host.Add<HalfHourChime>();
            host.Add<ClockCalibration>();
            host.Add<RestReminders>();
        });
        AlarmClocks& alarms = env.Feature<AlarmClocks>();
        alarms.AlarmClockWeekDownComboBox->setCurrentIndex(6);
        alarms.AlarmClockFirstMaskEdit->setText("08:30:00");
        alarms.AlarmClockFirstCheckBox->setChecked(true);
        alarms.AlarmClockSecondMaskEdit->setText("23:59:59");
        alarms.AlarmClockSecondCheckBox->setChecked(true);
    }
    FeatureContext& Context() { return env.Host().Context(); }

    // Moves the clock, with the system's uptime 400 ms out of phase with it.
    void SetClock(const QDateTime& t)
    {
        env.clock->Set(t);
        env.systemInfo->uptimeMs = std::uint32_t((5000 + kStart.secsTo(t)) * 1000 + 400);
    }
    void Tick()
    {
        const int rows = env.Feature<Memorandum>().MemorandumStringGrid->rowCount();
        const qsizetype chimes = Chimes();
        const int queries = setter->syncQueries;
        env.RunTick();
        const QString at = env.clock->Current().toString("dd hh:mm:ss ");
        for (const FakeUi::Call& call : env.ui.calls)
            done << at + call.kind + u' ' + call.text.left(12);
        env.ui.Clear();
        if (Chimes() != chimes)
            done << at + "chime";
        if (setter->syncQueries != queries)
            done << at + "calibration";
        if (env.Feature<Memorandum>().MemorandumStringGrid->rowCount() != rows)
            done << at + "rows";
    }
    qsizetype Chimes()
    {
        const HalfHourChime* chime = env.Host().Find<HalfHourChime>();
        return chime ? dynamic_cast<FakeSoundPlayer&>(*chime->HintTimeMediaPlayer).log.size() : 0;
    }
    template <typename T> void With(const std::function<void(T&)>& change)
    {
        if (T* feature = env.Host().Find<T>())
            change(*feature);
    }

    static inline const QDateTime kStart{QDate(2026, 12, 9), QTime(10, 0), Qt::UTC};
};

// Changes made between ticks, at wall-clock times in which nothing is due.
const std::map<QDateTime, std::function<void(Reminders&)>>& Edits()
{
    static const std::map<QDateTime, std::function<void(Reminders&)>> edits = {
        {Reminders::kStart.addSecs(54030),
         [](Reminders& r) {
             r.env.Feature<Memorandum>().AppendMemorandum("2026/12/10", "12:00:00", "加");
         }},
        {Reminders::kStart.addSecs(7830),
         [](Reminders& r) {
             r.With<HalfHourChime>([](auto& c) { c.HintTimeCheckBox->setChecked(false); });
         }},
        {Reminders::kStart.addSecs(11430),
         [](Reminders& r) {
             r.With<HalfHourChime>([](auto& c) { c.HintTimeCheckBox->setChecked(true); });
         }},
        {Reminders::kStart.addSecs(25230),
         [](Reminders& r) {
             AlarmClocks& alarms = r.env.Feature<AlarmClocks>();
             alarms.AlarmClockSecondCheckBox->setChecked(false);
             alarms.AlarmClockSecondMaskEdit->setText("18:00:00");
             alarms.AlarmClockSecondCheckBox->setChecked(true);
         }},
        {Reminders::kStart.addSecs(27030),
         [](Reminders& r) {
             r.With<RestReminders>([](auto& c) { c.RestHintCheckBox->setChecked(false); });
         }},
        {Reminders::kStart.addSecs(34230),
         [](Reminders& r) {
             r.With<RestReminders>([](auto& c) { c.RestHintCheckBox->setChecked(true); });
         }},
    };
    return edits;
}

// A day and two hours of every reminder armed, with the list, the boxes and the switches
// changed on the way: ticking only in the seconds the schedules name does all that ticking
// every second does, in the same seconds, in far fewer ticks.
TEST(ReminderPacing, TickingOnlyWhenSomethingIsDueMissesNothing)
{
    for (const bool all : {true, false}) {
        const QDateTime end = Reminders::kStart.addSecs((all ? 26 : 50) * 3600);
        SCOPED_TRACE(all ? "all reminders" : "alarms and notes");
        Reminders every(all);
        for (QDateTime t = Reminders::kStart; t <= end; t = t.addSecs(1)) {
            every.SetClock(t);
            if (const auto edit = Edits().find(t); edit != Edits().end())
                edit->second(every);
            every.Tick();
        }

        Reminders paced(all);
        FeatureContext& ctx = paced.Context();
        paced.SetClock(Reminders::kStart);
        paced.Tick();
        int ticks = 1;
        auto edit = Edits().begin();
        for (;;) {
            const std::optional<qint64> next = ctx.NextTickSecond(ctx.Now());
            const QDateTime t =
                next ? paced.env.clock->Current().addSecs(*next - SecondOf(ctx.Now()))
                     : end.addSecs(1);
            if (edit != Edits().end() && edit->first < t) {
                paced.SetClock(edit->first);
                edit->second(paced);
                ++edit;
                continue;
            }
            if (t > end)
                break;
            paced.SetClock(t);
            paced.Tick();
            ++ticks;
        }

        EXPECT_EQ(paced.done, every.done);
        EXPECT_GT(every.done.size(), all ? 80 : 7);
        EXPECT_LT(ticks, all ? 200 : 20);
    }
}

} // namespace
