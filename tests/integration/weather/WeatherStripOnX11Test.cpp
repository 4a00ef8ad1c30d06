#include "support/TestEnvironment.h"
#include "weather/LightWeatherView.h"
#include "weather/WeatherForm.h"
#include "weather/WeatherView.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace {

//! Serves one small page to every request on loopback and keeps the request lines.
class PageServer : public QObject {
public:
    QStringList requests;

    bool Listen(quint16 port = 0)
    {
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection())
                Serve(socket);
        });
        return server_.listen(QHostAddress::LocalHost, port);
    }
    quint16 Port() const { return server_.serverPort(); }
    void Close() { server_.close(); }

private:
    void Serve(QTcpSocket* socket)
    {
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray head = socket->readAll();
            requests << QString::fromLatin1(head.left(head.indexOf("\r\n")));
            const QByteArray body =
                QStringLiteral("<html><head><meta charset=\"utf-8\"></head>"
                               "<body>北京 晴 25°C loopback-forecast</body></html>")
                    .toUtf8();
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
                          "Cache-Control: no-store\r\nConnection: close\r\nContent-Length: " +
                          QByteArray::number(body.size()) + "\r\n\r\n" + body);
            socket->disconnectFromHost();
        });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

    QTcpServer server_;
};

QString PageText(QWebEngineView* view)
{
    QString text;
    bool done = false;
    view->page()->toPlainText([&](const QString& t) {
        text = t;
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        return QStringLiteral("(no text)");
    return text;
}

//! Where the X server has the strip, as xdotool reports it ("X=..\nY=..\nWIDTH=..").
QString StripGeometry()
{
    QProcess xdotool;
    xdotool.start("xdotool", {"search", "--name", "^天气预报$", "getwindowgeometry", "--shell"});
    xdotool.waitForFinished(10000);
    return QString::fromUtf8(xdotool.readAllStandardOutput());
}

//! What a desktop's panel does: the window manager publishes the free area of the screen.
void SetWorkArea(int x, int y, int w, int h)
{
    QProcess::execute("xprop", {"-root", "-f", "_NET_WORKAREA", "32c", "-set", "_NET_WORKAREA",
                                QString("%1, %2, %3, %4").arg(x).arg(y).arg(w).arg(h)});
}

TEST(WeatherStripOnX11, WithWeatherEngineWebLoadsThePageInTheEngineAndShowsANoticeWhenGone)
{
    PageServer server;
    ASSERT_TRUE(server.Listen());
    const quint16 port = server.Port();
    TestEnvironment env;
    env.WriteProgramFile("Weather", QString("[Weather]\r\nWeatherMode=1\r\nWeatherEngine=web\r\n"
                                            "WeatherPage=http://127.0.0.1:%1/m/360/weather.htm\r\n")
                                        .arg(port));

    TWeatherForm form(*env.platform.profile, env.ProgramDir() + "Weather");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // The view comes from the engine's own library, loaded as the program loads it.
    ASSERT_NE(form.WeatherBrowser(), nullptr) << "web engine library not loaded";
    auto* browser = dynamic_cast<QObject*>(form.WeatherBrowser());
    auto* view = qobject_cast<QWebEngineView*>(form.WeatherBrowser()->Widget());
    ASSERT_NE(browser, nullptr);
    ASSERT_NE(view, nullptr);
    QSignalSpy loaded(browser, SIGNAL(PageLoaded(bool)));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, 60000)) << "page never loaded";
    EXPECT_EQ(loaded.takeFirst().at(0).toBool(), true);
    ASSERT_FALSE(server.requests.isEmpty());
    EXPECT_EQ(server.requests.first(), "GET /m/360/weather.htm HTTP/1.1");
    EXPECT_TRUE(PageText(view).contains("loopback-forecast"));

    // Where the X server has put it, not only where Qt thinks it is.
    const QString geometry = StripGeometry();
    const int width = QGuiApplication::primaryScreen()->geometry().width();
    EXPECT_TRUE(geometry.contains(QString("X=%1\n").arg(width - 422))) << geometry.toStdString();
    EXPECT_TRUE(geometry.contains("Y=0\n")) << geometry.toStdString();
    EXPECT_TRUE(geometry.contains("WIDTH=422\nHEIGHT=60\n")) << geometry.toStdString();

    if (const QString shots = qEnvironmentVariable("QUORLIN_SHOT_DIR"); !shots.isEmpty())
        QProcess::execute("import", {"-window", "root", shots + "/weather-strip.png"});

    // The server is gone: our own notice instead of the browser's error page.
    server.Close();
    form.RefreshTimerTimer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, 60000));
    EXPECT_EQ(loaded.takeFirst().at(0).toBool(), false);
    EXPECT_EQ(PageText(view).trimmed(), QStringLiteral("天气信息暂时无法获取"));

    // Back again: the next refresh asks for the address, not for the notice.
    PageServer again;
    ASSERT_TRUE(again.Listen(port));
    form.RefreshTimerTimer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !loaded.isEmpty(); }, 60000));
    EXPECT_EQ(loaded.takeFirst().at(0).toBool(), true);
    EXPECT_EQ(again.requests.value(0), "GET /m/360/weather.htm HTTP/1.1");
}

TEST(WeatherStripOnX11, TheLightStripSitsBelowATopPanelAndFollowsItWhenItChanges)
{
    PageServer server;
    ASSERT_TRUE(server.Listen());
    TestEnvironment env;
    env.WriteProgramFile("Weather", QString("[Weather]\r\nWeatherPage="
                                            "http://127.0.0.1:%1/m/360/weather.htm\r\n")
                                        .arg(server.Port()));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    SetWorkArea(0, 27, screen.width(), screen.height() - 27);
    EXPECT_TRUE(QTest::qWaitFor(
        [] { return QGuiApplication::primaryScreen()->availableGeometry().top() == 27; }, 5000))
        << "the work area was not published";

    TWeatherForm form(*env.platform.profile, env.ProgramDir() + "Weather");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* view = dynamic_cast<LightWeatherView*>(form.WeatherBrowser());
    ASSERT_NE(view, nullptr) << "not the light view by default";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return view->Browser()->toPlainText().contains("loopback-forecast"); }, 10000));
    QString geometry;
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return (geometry = StripGeometry()).contains("Y=27\n"); }, 5000))
        << geometry.toStdString();
    EXPECT_TRUE(geometry.contains(QString("X=%1\n").arg(screen.width() - 422)))
        << geometry.toStdString();

    // A panel that grows (or starts after us, at logon) moves the strip down with it.
    SetWorkArea(0, 40, screen.width(), screen.height() - 40);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return (geometry = StripGeometry()).contains("Y=40\n"); }, 5000))
        << geometry.toStdString();
    QProcess::execute("xprop", {"-root", "-remove", "_NET_WORKAREA"});
}

} // namespace

int main(int argc, char* argv[])
{
    UseWebEngineForWeather(QStringLiteral(QUORLIN_WEATHER_VIEW_LIBRARY));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
