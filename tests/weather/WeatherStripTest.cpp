#include "support/FakeWeatherView.h"
#include "support/TestEnvironment.h"

#include "weather/WeatherForm.h"
#include "weather/WeatherStrip.h"

#include <QCheckBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class WeatherStripTest : public ::testing::Test {
protected:
    FakeWeatherViews views; // outlives the strips that make views through it
    TestEnvironment env;

    WeatherStrip& Run() { return env.Start<WeatherStrip>(views.Factory()); }
};

TEST_F(WeatherStripTest, FirstStartShowsTheStripAndOneSwitchedOffStaysOffAndMakesNoBrowser)
{
    WeatherStrip& f = Run();
    EXPECT_TRUE(f.WeatherCheckBox->isChecked());
    EXPECT_EQ(f.WeatherCheckBox->text(), QStringLiteral("启用天气预报"));
    EXPECT_TRUE(env.View().Install->isAncestorOf(f.WeatherCheckBox));
    EXPECT_TRUE(f.WeatherForm->isVisible());
    EXPECT_EQ(views.made, 1);
    EXPECT_TRUE(env.ReadProgramFile("Weather").contains("[Weather]\r\nWeatherMode=1"));

    f.WeatherCheckBox->setChecked(false);
    EXPECT_FALSE(f.WeatherForm->isVisible());
    EXPECT_TRUE(env.ReadProgramFile("Weather").contains("WeatherMode=0"));

    views.made = 0;
    WeatherStrip& again = Run();
    EXPECT_FALSE(again.WeatherCheckBox->isChecked());
    EXPECT_FALSE(again.WeatherForm->isVisible());
    EXPECT_EQ(views.made, 0);
    EXPECT_TRUE(again.WeatherForm->RefreshTimer()->isActive());

    again.WeatherCheckBox->setChecked(true);
    EXPECT_TRUE(again.WeatherForm->isVisible());
    EXPECT_TRUE(env.ReadProgramFile("Weather").contains("WeatherMode=1"));
    EXPECT_EQ(views.made, 1);
}

TEST_F(WeatherStripTest, AnUnwritableSwitchIsReportedAndTheProgramGoesOn)
{
    QDir().mkpath(env.ProgramDir() + "Weather"); // a folder where the file should be
    WeatherStrip& f = Run();
    EXPECT_EQ(env.ui.Count("error"), 1);
    EXPECT_TRUE(f.WeatherForm->isVisible());
}

} // namespace
