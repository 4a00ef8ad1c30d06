#include "weather/WeatherForm.h"
#include "support/FakeWeatherView.h"
#include "support/TestEnvironment.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

class WeatherFormTest : public ::testing::Test {
protected:
    TestEnvironment env;
    FakeWeatherViews views;
    QString file = env.ProgramDir() + "Weather";

    void SetUp() override { QDir().mkpath(env.ProgramDir()); }

    std::unique_ptr<TWeatherForm> Make()
    {
        return std::make_unique<TWeatherForm>(*env.platform.profile, file, views.Factory());
    }
};

TEST_F(WeatherFormTest, FirstStartIsOnAndCostsNothingUntilShown)
{
    auto form = Make();
    EXPECT_TRUE(form->ReadWeatherMode());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("天气预报"));
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_NEAR(form->windowOpacity(), 200.0 / 255.0, 0.01);
    EXPECT_EQ(form->size(), QSize(422, 60));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(form->pos(), QPoint(screen.width() - 422, 0));
    EXPECT_EQ(views.made, 0);
    EXPECT_EQ(form->WeatherBrowser(), nullptr);

    form->show();
    form->hide();
    form->show();
    ASSERT_EQ(views.made, 1);
    EXPECT_EQ(views.last->loads, QList<QUrl>{TWeatherForm::DefaultPageAddress()});
    EXPECT_EQ(TWeatherForm::DefaultPageAddress().path(), "/m/360/weather.htm");
    EXPECT_EQ(views.last->Widget()->geometry(), QRect(0, 0, 422, 63));
}

TEST_F(WeatherFormTest, PageAddressFromTheWeatherFile)
{
    const struct {
        const char* page;
        QUrl expected;
    } rows[] = {
        {"http://127.0.0.1:8080/m/360/weather.htm",
         QUrl("http://127.0.0.1:8080/m/360/weather.htm")},
        {"  https://example.test/w  ", QUrl("https://example.test/w")},
        {"", TWeatherForm::DefaultPageAddress()},
        {"weather.htm", TWeatherForm::DefaultPageAddress()}, // not an address
        {"http://[bad", TWeatherForm::DefaultPageAddress()},
    };
    for (const auto& row : rows) {
        env.WriteProgramFile("Weather", QString("[Weather]\r\nWeatherPage=%1\r\n").arg(row.page));
        EXPECT_EQ(Make()->PageAddress(), row.expected) << row.page;
    }
}

TEST_F(WeatherFormTest, RefreshesAfterThirtySecondsThenEveryTenMinutesShownOrNot)
{
    auto form = Make();
    QTimer* timer = form->RefreshTimer();
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 30000);

    form->RefreshTimerTimer(); // hidden, never shown: nothing to load, no view made
    EXPECT_EQ(timer->interval(), 600000);
    EXPECT_EQ(views.made, 0);

    form->show();
    form->hide();
    form->RefreshTimerTimer();
    form->RefreshTimerTimer();
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(views.last->reloads, 2);
    EXPECT_EQ(views.last->loads.size(), 1);
}

} // namespace
