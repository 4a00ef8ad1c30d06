#include "RadioTestSupport.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace {

using namespace radio_test;

const QString kGamma = QStringLiteral("0:http://g.example/g.mp3");

TEST(RadioPlayback, DoubleClickStopsThenStartsWithVolumeBeforeAddressAndACategoryOnlyStops)
{
    TestEnvironment env;
    FeatureView& form = StartRadio(env);
    RadioPlayback& radio = *form.Radio;
    DoubleClick(form, "Gamma");
    EXPECT_EQ(env.radio.Sent(), QStringList({"4:", "3:", "5:100", kGamma}));
    EXPECT_EQ(radio.PlayStopButton->text(), "暂停");
    EXPECT_EQ(radio.RadioPlayState->text(), "目前暂无播放的电台"); // filled by the next tick

    env.radio.status = "正在缓冲 40%";
    env.Tick();
    EXPECT_EQ(radio.RadioPlayState->text(), "Gamma\n正在缓冲 40%");

    // The playing station again: a restart.
    env.radio.Clear();
    DoubleClick(form, "Gamma");
    EXPECT_EQ(env.radio.Sent(), QStringList({"4:", "3:", "5:100", kGamma}));

    // A category is no station: it stops.
    env.Tick();
    env.radio.Clear();
    DoubleClick(form, "新闻(2)");
    EXPECT_EQ(env.radio.Sent(), QStringList({"4:", "4:"}));
    EXPECT_EQ(radio.RadioPlayState->text(), "目前暂无播放的电台");
    EXPECT_EQ(radio.CurrentRadioName, "新闻(2)");
    EXPECT_EQ(radio.PlayStopButton->text(), "播放");

    // The button stops; later ticks ask nothing.
    DoubleClick(form, "Gamma");
    env.radio.Clear();
    radio.PlayStopButton->click();
    env.Tick();
    EXPECT_EQ(env.radio.commands, QStringList({"4:"}));
    EXPECT_EQ(radio.RadioPlayState->text(), "目前暂无播放的电台");
    EXPECT_EQ(radio.PlayStopButton->text(), "播放");
}

TEST(RadioPlayback, VolumeAndAutoplaySaveTheStationAndReachThePlayerOnlyWhilePlaying)
{
    TestEnvironment env;
    FeatureView& form = StartRadio(env);
    RadioPlayback& radio = *form.Radio;
    EXPECT_EQ(radio.VolumeLabel->text(), "");
    radio.RadioVolumeTrackBar->setValue(30);
    EXPECT_EQ(radio.VolumeLabel->text(), "音量:30%");
    EXPECT_TRUE(env.SettingsText().contains(
        "[NetRadio]\r\nAutoPlay=0\r\nRadioName=\r\nRadioVolume=30\r\n"));
    EXPECT_TRUE(env.radio.commands.isEmpty());

    DoubleClick(form, "Gamma");
    EXPECT_EQ(env.radio.Sent(), QStringList({"4:", "3:", "5:30", kGamma}));
    env.radio.Clear();
    radio.RadioVolumeTrackBar->setValue(55);
    EXPECT_EQ(env.radio.commands, QStringList({"5:55"}));
    EXPECT_TRUE(env.SettingsText().contains("RadioName=Gamma\r\nRadioVolume=55"));

    // Checking autoplay while playing stops; unchecking only saves.
    env.radio.Clear();
    radio.AutoRadioPlayCheckBox->setChecked(true);
    EXPECT_EQ(env.radio.Sent(), QStringList({"4:"}));
    EXPECT_FALSE(radio.RadioPlaying);
    EXPECT_TRUE(env.SettingsText().contains("AutoPlay=1\r\nRadioName=Gamma\r\nRadioVolume=55"));
    env.radio.Clear();
    radio.AutoRadioPlayCheckBox->setChecked(false);
    EXPECT_TRUE(env.radio.commands.isEmpty());
    EXPECT_TRUE(env.SettingsText().contains("AutoPlay=0"));

    // The saved station changes only with the volume or the autoplay box.
    DoubleClick(form, "Beta");
    env.Stop();
    EXPECT_EQ(env.Start<Pages::Radio>().Radio->CurrentRadioName, "Gamma");
}

struct StoredRadio {
    const char* autoPlay;
    const char* volume;
    QStringList expectedAtStart;
    const char* label;
};

class RadioAtStart : public ::testing::TestWithParam<StoredRadio> {};

TEST_P(RadioAtStart, StoredSettingsComeBackAndAutoplayUsesTheStoredVolume)
{
    const StoredRadio& p = GetParam();
    TestEnvironment env;
    env.WriteProgramFile("NetRadio.dat", kCatalogue);
    env.WriteProgramFile("../Quorlin", QStringLiteral("[NetRadio]\nAutoPlay=%1\nRadioName=Gamma\n"
                                                      "RadioVolume=%2\n")
                                           .arg(p.autoPlay, p.volume));
    for (int start = 0; start < 2; ++start) {
        env.radio.Clear();
        FeatureView& form = env.Start<Pages::Radio>();
        EXPECT_EQ(env.radio.Sent(), p.expectedAtStart) << "start " << start;
        EXPECT_EQ(form.Radio->AutoRadioPlayCheckBox->isChecked(), QString(p.autoPlay) == "1");
        EXPECT_EQ(form.Radio->VolumeLabel->text(), p.label);
        EXPECT_EQ(form.Radio->CurrentRadioName, "Gamma");
        env.Stop();
    }
    EXPECT_TRUE(env.SettingsText().contains(QStringLiteral("AutoPlay=%1").arg(p.autoPlay)));
}

INSTANTIATE_TEST_SUITE_P(
    Stored, RadioAtStart,
    ::testing::Values(StoredRadio{"1", "40", {"3:", "5:40", kGamma}, "音量:40%"},
                      StoredRadio{"1", "100", {"3:", "5:100", kGamma}, ""},
                      StoredRadio{"0", "40", {}, "音量:40%"},
                      StoredRadio{"1", "250", {"3:", "5:100", kGamma}, ""},
                      StoredRadio{"1", "-5", {"3:", "5:0", kGamma}, "音量:0%"}));

} // namespace
