#include "RadioTestSupport.h"

#include "app/Main.h"
#include "reminders/AlarmClocks.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

using namespace radio_test;
using Playback = RadioPlayback::Playback;

const QString kWithFavourites = kCatalogue + QStringLiteral("[我最喜爱的电台]\n"
                                                            "Gamma=http://g.example/g.mp3\n"
                                                            "Beta=http://b.example/s?x=1&y=2\n");
const QString kBeta = QStringLiteral("0:http://b.example/s?x=1&y=2");
const QString kGamma = QStringLiteral("0:http://g.example/g.mp3");

TEST(RadioRemote, NextAndPreviousWalkTheFavouritesAndKeepPlayingOrStopped)
{
    TestEnvironment env;
    FeatureView& form = StartRadio(env, kWithFavourites);
    RadioPlayback& radio = *form.Radio;
    int changes = 0;
    radio.OnChange([&] { ++changes; });
    ASSERT_TRUE(radio.CanStep());

    // Stopped: the station changes, nothing plays; the tree points at it.
    radio.Next();
    EXPECT_EQ(radio.CurrentRadioName, "Beta");
    EXPECT_EQ(form.RadioStations->RadioTreeView->currentItem()->text(0), "Beta");
    radio.Previous();
    EXPECT_EQ(radio.CurrentRadioName, "Gamma");
    EXPECT_TRUE(env.radio.commands.isEmpty());
    EXPECT_EQ(radio.Status(), Playback::Stopped);

    radio.Play();
    EXPECT_EQ(radio.Status(), Playback::Playing);
    env.radio.Clear();
    radio.Next(); // wraps round
    EXPECT_EQ(env.radio.Sent(), QStringList({"4:", "3:", "5:100", kBeta}));

    radio.Pause();
    EXPECT_EQ(radio.Status(), Playback::Paused);
    EXPECT_EQ(radio.PlayStopButton->text(), "播放");
    EXPECT_EQ(radio.RadioPlayState->text(), "Beta\n已暂停");
    radio.Next();
    EXPECT_EQ(radio.RadioPlayState->text(), "Gamma\n已暂停");
    env.radio.Clear();
    // The page's button takes up what the applet paused.
    radio.PlayStopButton->click();
    EXPECT_EQ(env.radio.Sent(), QStringList({"3:", "5:100", kGamma}));
    radio.PlayPause();
    EXPECT_EQ(radio.Status(), Playback::Paused);
    radio.StopPlayback();
    EXPECT_EQ(radio.Status(), Playback::Stopped);
    EXPECT_EQ(radio.RadioPlayState->text(), "目前暂无播放的电台");

    radio.SetVolume(130);
    EXPECT_EQ(radio.RadioVolumeTrackBar->value(), 100);
    radio.SetVolume(30);
    EXPECT_TRUE(env.SettingsText().contains("RadioVolume=30"));
    EXPECT_GE(changes, 8);
}

TEST(RadioRemote, WithoutFavouritesThereIsNoNextAndWithoutAStationNothingPlays)
{
    TestEnvironment env;
    RadioPlayback& radio = *StartRadio(env).Radio;
    EXPECT_FALSE(radio.CanStep());
    radio.Next();
    radio.Play();
    radio.PlayPause();
    radio.StopPlayback();
    EXPECT_TRUE(env.radio.commands.isEmpty());
    EXPECT_EQ(radio.Status(), Playback::Stopped);

    // The page's button sends a stop all the same.
    radio.PlayStopButton->click();
    EXPECT_EQ(radio.PlayStopButton->text(), "播放");
    EXPECT_EQ(radio.RadioPlayState->text(), "目前暂无播放的电台");
    EXPECT_FALSE(radio.RadioPlaying);
    EXPECT_EQ(env.radio.Sent(), QStringList({"4:"}));
}

//! The whole window, for the ring that the alarms and the radio meet in.
struct RingingWindow {
    TestEnvironment env;
    TMainForm* form = nullptr;
    RadioPlayback* radio = nullptr;
    AlarmClocks* alarms = nullptr;

    RingingWindow()
    {
        env.WriteProgramFile("NetRadio.dat", kCatalogue);
        form = &env.StartForm();
        radio = form->Feature<RadioPlayback>();
        alarms = form->Feature<AlarmClocks>();
        radio->CurrentRadioName = "Gamma";
        radio->PlayStopButton->click();
        env.radio.Clear();
    }
};

TEST(RadioRemote, ARingPausesTheRadioUntilItIsAnsweredOrStoppedAndATimingWaitsForIt)
{
    RingingWindow w;
    QStringList duringRing;
    w.env.ui.WhileOpen = [&](const FakeUi::Call&) {
        // Ticks go on while the box is open; the radio stays quiet.
        w.env.Tick();
        duringRing = w.env.radio.Sent();
        EXPECT_EQ(w.radio->Status(), Playback::Paused);
        EXPECT_EQ(w.radio->RadioPlayState->text(), "Gamma\n闹铃响起，电台已暂停");
        // A timing due now starts its station after the answer, not over the ring.
        EXPECT_TRUE(w.radio->StartTimed("Beta"));
        EXPECT_EQ(w.radio->Status(), Playback::Paused);
    };
    w.alarms->RingAlarm("响");
    EXPECT_EQ(duringRing, QStringList({"4:"}));
    EXPECT_EQ(w.env.radio.Sent(), QStringList({"4:", "3:", "5:100", kBeta}));
    EXPECT_EQ(w.radio->Status(), Playback::Playing);

    // Stopped during the ring, the radio stays stopped.
    w.env.radio.Clear();
    w.env.ui.WhileOpen = [&](const FakeUi::Call&) { w.radio->StopPlayback(); };
    w.alarms->RingAlarm("响");
    EXPECT_EQ(w.radio->Status(), Playback::Stopped);
    EXPECT_FALSE(w.env.radio.Sent().contains(kBeta));

    // Nothing played when the ring began: nothing starts when it ends.
    w.env.ui.WhileOpen = {};
    w.env.radio.Clear();
    w.alarms->RingAlarm("响");
    EXPECT_TRUE(w.env.radio.Sent().isEmpty());
}

} // namespace
