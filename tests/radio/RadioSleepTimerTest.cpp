#include "RadioTestSupport.h"

#include "radio/RadioSleepTimer.h"
#include "support/PacedTicks.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimeEdit>

namespace {

using namespace radio_test;
using Phase = NetRadioLibrary::StreamState::Phase;

//! Gamma playing at volume 50 from 10:00:00, the sleep timer set to 15 minutes.
struct Sleeping {
    TestEnvironment env;
    FeatureView* form = nullptr;
    RadioPlayback* radio = nullptr;
    RadioSleepTimer* sleep = nullptr;

    Sleeping()
    {
        form = &StartRadio(env);
        radio = form->Radio;
        sleep = radio->SleepTimer.get();
        radio->RadioVolumeTrackBar->setValue(50);
        DoubleClick(*form, "Gamma");
        env.radio.state.phase = Phase::Playing;
        sleep->SleepTimerComboBox->setCurrentIndex(1);
        env.radio.Clear();
    }
    QString Left() const { return sleep->SleepTimerLabel->text(); }
};

TEST(RadioSleepTimer, FadesOutOverTheLastTenSecondsAndStops)
{
    Sleeping s;
    EXPECT_EQ(s.Left(), "将于 10:15:00 停止播放，还剩 15:00");
    s.env.Tick(15 * 60 - 11);
    EXPECT_EQ(s.Left(), "将于 10:15:00 停止播放，还剩 0:11");
    for (int i = 0; i < 11; ++i)
        s.env.Tick();
    EXPECT_EQ(s.env.radio.Sent(), QStringList({"5:50", "5:45", "5:40", "5:35", "5:30", "5:25",
                                               "5:20", "5:15", "5:10", "5:5", "4:"}));
    EXPECT_FALSE(s.radio->RadioPlaying);
    EXPECT_EQ(s.radio->RadioPlayState->text(), "目前暂无播放的电台");
    EXPECT_EQ(s.sleep->SleepTimerComboBox->currentIndex(), 0);
    EXPECT_EQ(s.Left(), "");
    // The fade is no change of the user's volume: the next start plays as loud as before.
    EXPECT_EQ(s.radio->RadioVolumeTrackBar->value(), 50);
    EXPECT_TRUE(s.env.SettingsText().contains("RadioVolume=50"));
    s.radio->PlayStopButton->click();
    EXPECT_TRUE(s.env.radio.Sent().contains("5:50"));
}

TEST(RadioSleepTimer, KeepsItsEndOverAStationChangeAndAReconnectAndStopsTheReconnect)
{
    Sleeping s;
    s.env.Tick(300);
    DoubleClick(*s.form, "Beta");
    s.env.radio.state.phase = Phase::Playing;
    s.env.Tick();
    EXPECT_EQ(s.Left(), "将于 10:15:00 停止播放，还剩 9:59");

    // Beta drops just before the end and keeps failing; the end still comes, and nothing
    // is opened after it.
    s.env.Tick(590);
    s.env.radio.state.phase = Phase::Dropped;
    for (int i = 0; i < 8; ++i) {
        s.env.Tick();
        if (s.env.radio.state.phase == Phase::Opening)
            s.env.radio.state.phase = Phase::Failed;
    }
    EXPECT_TRUE(s.radio->RadioPlaying);
    s.env.radio.Clear();
    for (int i = 0; i < 60; ++i)
        s.env.Tick();
    EXPECT_FALSE(s.radio->RadioPlaying);
    EXPECT_EQ(s.env.radio.Sent(), QStringList({"4:"}));
    EXPECT_EQ(s.Left(), "");
}

TEST(RadioSleepTimer, AStopCancelsItAndChoosingNoTimerDuringTheFadeRestoresTheVolume)
{
    Sleeping s;
    s.radio->PlayStopButton->click();
    EXPECT_EQ(s.sleep->SleepTimerComboBox->currentIndex(), 0);
    EXPECT_EQ(s.Left(), "");
    s.radio->PlayStopButton->click();
    s.env.radio.Clear();
    s.env.Tick(16 * 60);
    EXPECT_TRUE(s.radio->RadioPlaying);
    EXPECT_TRUE(s.env.radio.Sent().isEmpty());

    s.sleep->SleepTimerComboBox->setCurrentIndex(1);
    s.env.Tick(15 * 60 - 5);
    EXPECT_EQ(s.env.radio.Sent(), QStringList({"5:25"}));
    s.sleep->SleepTimerComboBox->setCurrentIndex(0);
    EXPECT_EQ(s.env.radio.Sent(), QStringList({"5:25", "5:50"}));
    s.env.Tick(60);
    EXPECT_TRUE(s.radio->RadioPlaying);
}

TEST(RadioSleepTimer, ATimeOfDayAlreadyPastMeansTomorrow)
{
    Sleeping s;
    s.sleep->SleepTimeEdit->setTime(QTime(9, 30));
    s.sleep->SleepTimerComboBox->setCurrentIndex(RadioSleepTimer::TimeOfDayIndex());
    EXPECT_EQ(s.Left(), "将于 明天 9:30:00 停止播放，还剩 23:30:00");
    s.sleep->SleepTimeEdit->setTime(QTime(10, 20));
    EXPECT_EQ(s.Left(), "将于 10:20:00 停止播放，还剩 20:00");
    s.env.Tick(20 * 60);
    EXPECT_FALSE(s.radio->RadioPlaying);
}

// Three days of timed starts, a sleep timer and a stop by hand: ticking only in the seconds
// the schedules name, and every second while the radio plays or the timer runs, sends the
// player what ticking every second sends, when it sends it. The timings listed at the start
// are the ones the ticks start; the timer's end is listed once it is set.
TEST(RadioSleepTimer, TickingOnlyWhenSomethingIsDueMissesNothing)
{
    const QDateTime start(QDate(2026, 12, 9), QTime(10, 0), Qt::UTC);
    const QDateTime end = start.addSecs(3 * 86400 - 1);
    const TimedEdits edits = {
        {start.addSecs(20 * 60 + 30),
         [](TestEnvironment& env) {
             env.Feature<RadioPlayback>().SleepTimer->SleepTimerComboBox->setCurrentIndex(1);
             FeatureContext& ctx = env.Host().Context();
             const std::vector<Occurrence> timed =
                 ctx.Upcoming(ctx.Now(), {ctx.Now().date, QTime(23, 0)}).timed;
             ASSERT_EQ(timed.size(), 1u);
             EXPECT_EQ(timed[0].when.time, QTime(10, 35, 30));
             EXPECT_EQ(timed[0].what, "定时停止播放");
         }},
        {start.addSecs(23 * 3600 + 30),
         [](TestEnvironment& env) { env.Feature<RadioPlayback>().PlayStopButton->click(); }},
    };
    QStringList sent[2];
    QStringList listed, started;
    for (const bool everySecond : {true, false}) {
        TestEnvironment env;
        env.WriteProgramFile("RadioTiming", "每天 10:00:05 Gamma\n星期四 8:00:00 Beta\n"
                                            "星期五 23:59:59 Alpha\nsomeday 9:00:00 Beta\n");
        RadioPlayback& radio = *StartRadio(env).Radio;
        const UpcomingList coming =
            env.Host().Context().Upcoming({start.date(), start.time()}, {end.date(), end.time()});
        for (const Occurrence& o : coming.timed) {
            EXPECT_EQ(o.feature, "定时收音");
            listed << DateText(o.when.date) + u' ' + TimeText(o.when.time) + u' ' + o.what;
        }
        TickThroughPaced(env, everySecond, start, end, edits, [&](const QDateTime& t) {
            for (const QString& command : env.radio.Sent()) {
                sent[everySecond] << t.toString("dd hh:mm:ss ") + command;
                if (command.startsWith("0:"))
                    started << DateText(t.date()) + u' ' + TimeText(t.time()) + u' ' +
                                   radio.CurrentRadioName;
            }
            env.radio.Clear();
            if (env.radio.state.phase == Phase::Opening)
                env.radio.state.phase = Phase::Playing;
        });
    }
    EXPECT_EQ(sent[0].join(u'\n').toStdString(), sent[1].join(u'\n').toStdString());
    EXPECT_GE(sent[0].size(), 6);
    EXPECT_EQ(listed.size(), 2 * 5) << "five timings listed, and started, in each run";
    EXPECT_EQ(listed, started);
}

} // namespace
