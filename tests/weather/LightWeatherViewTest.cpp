#include "LoopbackHttpServer.h"

#include "support/WaitFor.h"
#include "weather/LightWeatherView.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextDocument>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using Failure = WeatherFetch::Failure;

QByteArray Png(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::yellow);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

class LightWeatherViewTest : public ::testing::Test {
protected:
    LoopbackHttpServer server;
    QWidget strip;
    // A short time limit so that a stalled server costs the suite half a second.
    LightWeatherView view{&strip, {1024 * 1024, 500, 5}};
    QSignalSpy loaded{&view, &LightWeatherView::PageLoaded};

    void SetUp() override { ASSERT_TRUE(server.Listen()); }

    //! Loads `path` and waits for the outcome; whether the page (not the notice) came.
    bool LoadAndWait(const QString& path)
    {
        loaded.clear();
        view.Load(QUrl(server.Url(path)));
        EXPECT_TRUE(WaitFor([&] { return !loaded.isEmpty(); }, 5000)) << path.toStdString();
        return !loaded.isEmpty() && loaded.first().at(0).toBool();
    }
    QString Shown() const { return view.Browser()->toPlainText(); }
};

TEST_F(LightWeatherViewTest, ShowsThePageTextAndItsPicturesFetchedOverHttpOnly)
{
    QTemporaryDir dir;
    const QString local = dir.filePath("local.png");
    ASSERT_TRUE(QImage(8, 8, QImage::Format_RGB32).save(local));
    server.Page("/m/360/weather.htm",
                QStringLiteral("<html><body>北京 晴 25°C <img src=\"file://%1\"><table><tr><td>"
                               "<img src=\"img/sun.png\"></td></tr></table>"
                               "<img src=\"/m/360/img/sun.png\"></body></html>")
                    .arg(local)
                    .toUtf8());
    server.Page("/m/360/img/sun.png", Png(24, 200), "image/png");
    QSignalSpy images(&view, &LightWeatherView::ImageArrived);
    qreal heightBefore = 0; // laid out at once, as a shown strip is, before any picture came
    QObject::connect(&view, &LightWeatherView::PageLoaded, &view,
                     [&] { heightBefore = view.Browser()->document()->size().height(); });

    ASSERT_TRUE(LoadAndWait("/m/360/weather.htm"));
    EXPECT_TRUE(Shown().contains(QStringLiteral("北京 晴 25°C")));
    ASSERT_TRUE(WaitFor([&] { return !images.isEmpty(); }, 5000));
    const QVariant sun = view.Browser()->document()->resource(
        QTextDocument::ImageResource, QUrl(server.Url("/m/360/img/sun.png")));
    EXPECT_EQ(sun.value<QImage>().size(), QSize(24, 200));
    // And laid out in the strip at its own size, not only held.
    EXPECT_LT(heightBefore, 200);
    EXPECT_TRUE(WaitFor([&] { return view.Browser()->document()->size().height() > 200; }))
        << view.Browser()->document()->size().height();
    // The page may not make us read the user's files; one fetch for a picture used twice.
    EXPECT_TRUE(view.Browser()
                    ->document()
                    ->resource(QTextDocument::ImageResource, QUrl::fromLocalFile(local))
                    .isNull());
    EXPECT_EQ(view.ImagesShown(), 1);
    EXPECT_EQ(server.requests.count("/m/360/img/sun.png"), 1);
}

TEST_F(LightWeatherViewTest, APageWithScriptsShowsItsTextAndRunsOrFetchesNothing)
{
    server.Page("/w", "<html><head><script src=\"/evil.js\"></script>"
                      "<script>document.title = 'ran'; location = '/away';</script></head>"
                      "<body onload=\"location='/away'\">多云 18&deg;C"
                      "<SCRIPT type=\"text/javascript\">var x = '<b>not text</b>';</SCRIPT>"
                      "<iframe src=\"/frame\"></iframe><link rel=\"stylesheet\" href=\"/s.css\">"
                      "</body></html>");
    ASSERT_TRUE(LoadAndWait("/w"));
    EXPECT_TRUE(Shown().contains(QStringLiteral("多云 18°C")));
    EXPECT_FALSE(Shown().contains("document")) << Shown().toStdString();
    EXPECT_FALSE(Shown().contains("not text")) << Shown().toStdString();
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(server.requests, QStringList{"/w"});
}

TEST_F(LightWeatherViewTest, PagesOutsideTheLimitsAreRefusedWithOurNoticeAndFiveRedirectsFollowed)
{
    const QByteArray big(1024 * 1024 + 1, 'x');
    QByteArray chunked;
    for (int i = 0; i < 20; ++i)
        chunked += QByteArray::number(64 * 1024, 16) + "\r\n" + QByteArray(64 * 1024, 'y') + "\r\n";
    chunked += "0\r\n\r\n";
    server.Page("/big", "<p>" + big);
    server.Route("/big-unsized", {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                  "Transfer-Encoding: chunked",
                                  chunked});
    server.Page("/zip", "PK\x03\x04", "application/zip");
    server.Route("/untyped-binary", {"HTTP/1.1 200 OK", QByteArray("\x89PNG\r\n", 6)});
    server.Route("/stall", {{}, {}, true});
    server.Redirect("/loop", "/loop");
    server.Redirect("/to-file", "file:///etc/passwd");
    server.Route("/missing", {"HTTP/1.1 500 Oops", "<p>error page</p>"});

    const struct {
        const char* path;
        Failure why;
    } rows[] = {
        {"/big", Failure::TooLarge},   {"/big-unsized", Failure::TooLarge},
        {"/zip", Failure::NotHtml},    {"/untyped-binary", Failure::NotHtml},
        {"/stall", Failure::TooSlow},  {"/loop", Failure::TooManyRedirects},
        {"/to-file", Failure::NotWeb}, {"/missing", Failure::Status},
    };
    for (const auto& row : rows) {
        server.Page("/good", "<p>晴</p>");
        ASSERT_TRUE(LoadAndWait("/good"));
        EXPECT_FALSE(LoadAndWait(row.path)) << row.path;
        EXPECT_EQ(view.LastFailure(), row.why) << row.path;
        EXPECT_TRUE(view.ShowsNotice()) << row.path;
        EXPECT_EQ(Shown().trimmed(), LightWeatherView::NoticeText()) << row.path;
    }
    // The loop was followed five times, then given up; five relative ones are followed.
    EXPECT_EQ(server.requests.count("/loop"), 6);
    for (int i = 0; i < 5; ++i)
        server.Redirect(QString("/r%1").arg(i), QString("r%1").arg(i + 1).toLatin1());
    server.Page("/r5", "<p>到了</p>");
    ASSERT_TRUE(LoadAndWait("/r0"));
    EXPECT_TRUE(Shown().contains(QStringLiteral("到了")));
}

TEST_F(LightWeatherViewTest, AServerThatIsGoneShowsTheNoticeAndTheNextReloadAsksAgain)
{
    const quint16 port = server.Port();
    server.Close();
    view.Load(QUrl(QStringLiteral("http://127.0.0.1:%1/m/360/weather.htm").arg(port)));
    ASSERT_TRUE(WaitFor([&] { return !loaded.isEmpty(); }, 5000));
    EXPECT_FALSE(loaded.takeFirst().at(0).toBool());
    EXPECT_EQ(view.LastFailure(), Failure::Network);
    EXPECT_EQ(Shown().trimmed(), LightWeatherView::NoticeText());

    LoopbackHttpServer again;
    ASSERT_TRUE(again.Listen(port));
    again.Page("/m/360/weather.htm", "<p>小雨</p>");
    view.Reload();
    ASSERT_TRUE(WaitFor([&] { return !loaded.isEmpty(); }, 5000));
    EXPECT_TRUE(loaded.takeFirst().at(0).toBool());
    EXPECT_EQ(again.requests, QStringList{"/m/360/weather.htm"});
    EXPECT_TRUE(Shown().contains(QStringLiteral("小雨")));
}

TEST(LightWeatherViewDecode, TheServersCharsetWinsThenThePagesOwn)
{
    const QByteArray gbk("<meta charset=\"gbk\"><p>\xC7\xE7</p>"); // 晴
    EXPECT_TRUE(LightWeatherView::Decode(gbk, "text/html").contains(QStringLiteral("晴")));
    EXPECT_TRUE(
        LightWeatherView::Decode("<p>\xC7\xE7</p>", "text/html; charset=GB2312").contains("晴"));
    EXPECT_TRUE(LightWeatherView::Decode("<p>\xE6\x99\xB4</p>", "text/html").contains("晴"));
}

} // namespace
