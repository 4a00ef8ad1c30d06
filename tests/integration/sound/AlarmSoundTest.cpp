#include "RecordingPlayer.h"
#include "support/ColdMediaRegistry.h"
#include "support/TestEnvironment.h"
#include "support/WaitFor.h"

#include "radio/MediaBackend.h"
#include "reminders/AlarmClocks.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMediaPlayer>
#include <QTimer>

namespace {

class AlarmSound : public ::testing::Test {
protected:
    static void SetUpTestSuite() { UseColdMediaRegistry(); }
    void SetUp() override
    {
        if (!QMediaPlayer().isAvailable())
            GTEST_SKIP() << "Qt reports no multimedia backend";
        SoundPlayer::SetFactory([this] {
            auto p = std::make_unique<RecordingPlayer>();
            player = p.get();
            return p;
        });
    }

    bool ShipSound()
    {
        const QString dir = env.ProgramDir() + "AlarmClockSound/";
        return QDir().mkpath(dir) && QFile::copy(QUORLIN_SHIPPED_SOUND, dir + "AlarmClock.mp3");
    }

    TestEnvironment env;
    RecordingPlayer* player = nullptr;
};

TEST_F(AlarmSound, TheShippedSoundPlaysToItsEndAndStartsAgainUntilTheBoxIsAnswered)
{
    ASSERT_TRUE(ShipSound());
    AlarmClocks& alarms = env.Start<AlarmClocks>();
    EXPECT_EQ(player->real.Media(), nullptr) << "no media backend before the first ring";

    alarms.AlarmClockWeekDownComboBox->setCurrentIndex(6);
    alarms.AlarmClockFirstMaskEdit->setText("10:00:01");
    alarms.AlarmClockFirstCheckBox->setChecked(true);
    bool looped = false;
    env.ui.WhileOpen = [&](const FakeUi::Call&) {
        QMediaPlayer* media = player->real.Media();
        // Two ends heard, and the third pass under way from the start of the file.
        looped = WaitFor(
            [&] {
                return player->heard.size() >= 2 &&
                       media->playbackState() == QMediaPlayer::PlayingState &&
                       media->position() > 0;
            },
            30000);
        EXPECT_EQ(media->error(), QMediaPlayer::NoError) << media->errorString().toStdString();
    };
    env.Tick();
    ASSERT_EQ(env.ui.Count("yesonly"), 1);
    ASSERT_TRUE(looped) << player->heard.size() << " ends heard";

    const RecordingPlayer::Heard first = player->heard[0];
    EXPECT_FALSE(first.failed || player->heard[1].failed);
    EXPECT_GT(first.duration, 3000);
    EXPECT_LT(first.duration, 4500);
    EXPECT_GE(first.position, first.duration - 250) << "reported at the end of the file";
    EXPECT_GE(first.playedMs, first.duration - 500) << "played in real time, not skipped";
    EXPECT_GE(player->heard[1].playedMs - first.playedMs, first.duration - 500)
        << "the second pass played the whole file again";

    // Answered: the sound stops and stays stopped.
    QMediaPlayer* media = player->real.Media();
    EXPECT_EQ(media->playbackState(), QMediaPlayer::StoppedState);
    const size_t heard = player->heard.size();
    WaitFor([] { return false; }, 1500);
    EXPECT_EQ(media->playbackState(), QMediaPlayer::StoppedState);
    EXPECT_EQ(player->heard.size(), heard);
}

TEST_F(AlarmSound, AMissingSoundFileStillShowsTheRingSilently)
{
    env.WriteProgramFile("../Quorlin", "[AlarmClocks]\nAlarmClockSoundPath=" + env.ProgramDir() +
                                           "没有这个.mp3\n");
    AlarmClocks& alarms = env.Start<AlarmClocks>();
    env.ui.WhileOpen = [&](const FakeUi::Call&) { WaitFor([] { return false; }, 1000); };
    alarms.RingAlarm("响");
    EXPECT_EQ(env.ui.Texts("yesonly"), QStringList({"响"}));
    EXPECT_EQ(env.ui.Count("error"), 0);
    for (const RecordingPlayer::Heard& h : player->heard)
        EXPECT_TRUE(h.failed) << "a missing file was heard to its end";
    EXPECT_EQ(alarms.OpenRings(), 0);
}

// As in the program: the backend comes up only for the first ring, which shows its box at
// once and sounds as soon as the backend is up.
TEST_F(AlarmSound, TheFirstRingBringsTheBackendUpWithoutHoldingItsBoxBack)
{
    ASSERT_TRUE(ShipSound());
    MediaBackend backend;
    AlarmClocks& alarms = env.Start<AlarmClocks>();
    alarms.AlarmClockWeekDownComboBox->setCurrentIndex(6);
    alarms.AlarmClockFirstMaskEdit->setText("10:00:02");
    alarms.AlarmClockFirstCheckBox->setChecked(true);
    env.Tick();
    EXPECT_FALSE(MediaBackend::Ready()) << "an armed alarm alone starts nothing";
    bool sounding = false;
    env.ui.WhileOpen = [&](const FakeUi::Call&) {
        EXPECT_EQ(player->real.Media(), nullptr);
        sounding = WaitFor(
            [&] {
                QMediaPlayer* media = player->real.Media();
                return media && media->playbackState() == QMediaPlayer::PlayingState &&
                       media->position() > 0;
            },
            15000);
    };
    env.Tick();
    ASSERT_EQ(env.ui.Count("yesonly"), 1);
    EXPECT_TRUE(sounding);
    EXPECT_TRUE(MediaBackend::Ready());
}

} // namespace
