#include "LoopbackHttpServer.h"

#include "support/FakeWeatherView.h"
#include "support/TestEnvironment.h"
#include "support/WaitFor.h"
#include "weather/LightWeatherView.h"
#include "weather/WeatherForm.h"

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
        return std::make_unique<TWeatherForm>(*env.platform.profile, file, views.Factory(),
                                              env.servers.weatherPage);
    }
};

// Refreshed after thirty seconds, then every ten minutes, shown or not; a view is made only
// when the strip is first shown.
TEST_F(WeatherFormTest, FirstStartIsOnAndCostsNothingUntilShownAndRefreshesShownOrNot)
{
    auto form = Make();
    EXPECT_TRUE(form->ReadWeatherMode());
    EXPECT_EQ(form->windowTitle(), QStringLiteral("天气预报"));
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_NEAR(form->windowOpacity(), 200.0 / 255.0, 0.01);
    EXPECT_EQ(form->size(), QSize(422, 60));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form->pos(), QPoint(screen.right() + 1 - 422, screen.top()));
    // At the top right of the free area: below a top panel, on a screen right of another.
    EXPECT_EQ(TWeatherForm::TopRightIn(QRect(0, 0, 1920, 1080)), QPoint(1498, 0));
    EXPECT_EQ(TWeatherForm::TopRightIn(QRect(1280, 27, 1920, 1053)), QPoint(2778, 27));
    QTimer* timer = form->RefreshTimer();
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 30000);
    form->RefreshTimerTimer(); // never shown: nothing to load
    EXPECT_EQ(timer->interval(), 600000);
    EXPECT_EQ(views.made, 0);
    EXPECT_EQ(form->WeatherBrowser(), nullptr);

    form->show();
    form->hide();
    form->show();
    ASSERT_EQ(views.made, 1);
    EXPECT_EQ(views.last->loads, QList<QUrl>{QUrl(env.servers.weatherPage)});
    EXPECT_EQ(TWeatherForm::DefaultPageAddress().path(), "/m/360/weather.htm");
    EXPECT_EQ(views.last->Widget()->geometry(), QRect(0, 0, 422, 63));

    form->hide();
    form->RefreshTimerTimer();
    form->RefreshTimerTimer();
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(views.last->reloads, 2);
    EXPECT_EQ(views.last->loads.size(), 1);
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
        {"", QUrl(env.servers.weatherPage)},
        {"weather.htm", QUrl(env.servers.weatherPage)}, // not an address
        {"http://[bad", QUrl(env.servers.weatherPage)},
    };
    for (const auto& row : rows) {
        env.WriteProgramFile("Weather", QString("[Weather]\r\nWeatherPage=%1\r\n").arg(row.page));
        EXPECT_EQ(Make()->PageAddress(), row.expected) << row.page;
    }

    // Without a page in the file: the override the program was started with, when it is an
    // address, else the public page.
    env.WriteProgramFile("Weather", "[Weather]\r\nWeatherMode=0\r\n");
    for (const char* chosen : {"", "weather.htm", "http://[bad"})
        EXPECT_EQ(TWeatherForm(*env.platform.profile, file, views.Factory(), chosen).PageAddress(),
                  TWeatherForm::DefaultPageAddress())
            << chosen;
    EXPECT_EQ(TWeatherForm(*env.platform.profile, file, views.Factory(), " http://127.0.0.1:9/w ")
                  .PageAddress(),
              QUrl("http://127.0.0.1:9/w"));
}

TEST_F(WeatherFormTest, TheLightViewReloadsTheLoopbackPageAtThirtySecondsThenEveryTenMinutes)
{
    LoopbackHttpServer server;
    ASSERT_TRUE(server.Listen());
    server.Page("/m/360/weather.htm", "<p>loopback-forecast</p>");
    env.WriteProgramFile(
        "Weather",
        QString("[Weather]\r\nWeatherPage=%1\r\n").arg(server.Url("/m/360/weather.htm")));
    TWeatherForm form(*env.platform.profile, file); // the view the file chooses
    form.show();
    auto* view = dynamic_cast<LightWeatherView*>(form.WeatherBrowser());
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WaitFor([&] { return view->Browser()->toPlainText().contains("loopback"); }));

    QTimer* timer = form.RefreshTimer();
    EXPECT_EQ(timer->interval(), 30000);
    EXPECT_GT(timer->remainingTime(), 25000);
    QMetaObject::invokeMethod(timer, "timeout"); // the thirty seconds are up
    EXPECT_TRUE(WaitFor([&] { return server.requests.size() == 2; }));
    EXPECT_EQ(timer->interval(), 600000);
    EXPECT_TRUE(timer->isActive());

    form.hide();
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_TRUE(WaitFor([&] { return server.requests.size() == 3; }));
    EXPECT_EQ(timer->interval(), 600000);
}

TEST_F(WeatherFormTest, WeatherEngineWebUsesTheWebEngineAndAnythingElseTheLightView)
{
    SetWebEngineViewFactory(views.Factory());
    const struct {
        const char* line;
        bool web;
    } rows[] = {
        {"", false},
        {"WeatherEngine=web", true},
        {"WeatherEngine= WEB ", true},
        {"WeatherEngine=light", false},
        {"WeatherEngine=chromium", false},
    };
    for (const auto& row : rows) {
        env.WriteProgramFile("Weather", QString("[Weather]\r\n%1\r\n").arg(row.line));
        const int before = views.made;
        TWeatherForm form(*env.platform.profile, file, {}, env.servers.weatherPage);
        EXPECT_EQ(form.Engine() == WeatherEngine::Web, row.web) << row.line;
        EXPECT_EQ(views.made, before) << "nothing made before the strip shows";
        form.show();
        EXPECT_EQ(views.made, before + (row.web ? 1 : 0)) << row.line;
        EXPECT_EQ(dynamic_cast<LightWeatherView*>(form.WeatherBrowser()) != nullptr, !row.web)
            << row.line;
    }

    // An engine that cannot be loaded leaves the page to the light view, not to nothing.
    SetWebEngineViewFactory([](QWidget*) { return std::unique_ptr<WeatherView>(); });
    env.WriteProgramFile("Weather", "[Weather]\r\nWeatherEngine=web\r\n");
    TWeatherForm form(*env.platform.profile, file, {}, env.servers.weatherPage);
    form.show();
    EXPECT_NE(dynamic_cast<LightWeatherView*>(form.WeatherBrowser()), nullptr);
    SetWebEngineViewFactory({});
}

} // namespace
