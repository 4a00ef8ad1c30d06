#include "support/ColdMediaRegistry.h"
#include "support/TestEnvironment.h"
#include "support/WaitFor.h"

#include "app/Main.h"
#include "radio/MediaBackend.h"
#include "radio/QtNetRadioLibrary.h"
#include "radio/RadioCatalogue.h"
#include "radio/RadioPlayback.h"
#include "radio/RadioSleepTimer.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <iostream>
#include <map>
#include <memory>

namespace {

const QString kHost = QStringLiteral("127.0.0.1");
const QString kSourcePassword = QStringLiteral("radio-test-source");

quint16 FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

//! An icecast2 server on loopback with one ffmpeg source per mount.
class StreamServer {
public:
    bool Start(QString* why)
    {
        const QString icecast = QStandardPaths::findExecutable("icecast2");
        const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
        if (icecast.isEmpty() || ffmpeg.isEmpty()) {
            *why = "icecast2 or ffmpeg is not installed";
            return false;
        }
        ffmpeg_ = ffmpeg;
        icecastPath_ = icecast;
        // icecast2 drops to its own user when started as root; that user writes the logs.
        QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7777));
        port = FreePort();
        return Launch(why);
    }

    //! The server and its sources end, as when the machine serving the station goes away.
    void Kill()
    {
        icecast_.kill();
        icecast_.waitForFinished(3000);
        for (auto& [mount, source] : sources_)
            StopProcess(*source);
    }
    //! The server comes back on the same port with the same mounts fed.
    bool Restart(QString* why)
    {
        if (!Launch(why))
            return false;
        std::map<QString, int> mounts = fed_;
        for (const auto& [mount, frequency] : mounts)
            Feed(mount, frequency);
        return true;
    }

    bool Launch(QString* why)
    {
        const QString config =
            QStringLiteral(
                "<icecast><limits><clients>50</clients><sources>8</sources>"
                "<source-timeout>3</source-timeout><burst-size>16384</burst-size></limits>"
                "<authentication><source-password>%2</source-password>"
                "<admin-user>admin</admin-user><admin-password>%2</admin-password>"
                "</authentication><hostname>127.0.0.1</hostname>"
                "<listen-socket><port>%1</port><bind-address>127.0.0.1</bind-address>"
                "</listen-socket><fileserve>1</fileserve>"
                "<paths><basedir>/usr/share/icecast2</basedir><logdir>%3</logdir>"
                "<webroot>/usr/share/icecast2/web</webroot>"
                "<adminroot>/usr/share/icecast2/admin</adminroot></paths>"
                "<logging><accesslog>access.log</accesslog><errorlog>error.log</errorlog>"
                "<loglevel>2</loglevel></logging>"
                "<security><chroot>0</chroot><changeowner><user>icecast2</user>"
                "<group>icecast</group></changeowner></security></icecast>")
                .arg(port)
                .arg(kSourcePassword, dir_.path());
        QFile file(dir_.filePath("icecast.xml"));
        file.open(QIODevice::WriteOnly);
        file.write(config.toUtf8());
        file.close();
        QFile::setPermissions(file.fileName(), QFileDevice::Permissions(0x6666));
        icecast_.setProcessChannelMode(QProcess::MergedChannels);
        icecast_.start(icecastPath_, {"-c", file.fileName()});
        if (!icecast_.waitForStarted(5000)) {
            *why = "icecast2 did not start";
            return false;
        }
        WatchedLoop loop;
        if (!loop.RunUntil([this] { return Listening(); }, 10000)) {
            *why = "icecast2 does not listen: " + QString::fromUtf8(icecast_.readAll());
            return false;
        }
        return true;
    }

    ~StreamServer()
    {
        for (auto& [mount, source] : sources_)
            StopProcess(*source);
        StopProcess(icecast_);
    }

    void Feed(const QString& mount, int frequency)
    {
        fed_[mount] = frequency;
        auto source = std::make_unique<QProcess>();
        source->setProcessChannelMode(QProcess::MergedChannels);
        source->start(ffmpeg_,
                      {"-hide_banner", "-loglevel", "error", "-re", "-f", "lavfi", "-i",
                       QStringLiteral("sine=frequency=%1:sample_rate=44100").arg(frequency), "-c:a",
                       "libmp3lame", "-b:a", "64k", "-content_type", "audio/mpeg", "-f", "mp3",
                       QStringLiteral("icecast://source:%1@127.0.0.1:%2%3")
                           .arg(kSourcePassword)
                           .arg(port)
                           .arg(mount)});
        sources_[mount] = std::move(source);
    }
    void Unfeed(const QString& mount)
    {
        fed_.erase(mount);
        if (sources_.count(mount))
            StopProcess(*sources_[mount]);
    }

    QString Url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path);
    }

    //! Listeners per mount, from the server's own statistics.
    std::map<QString, int> Listeners()
    {
        std::map<QString, int> out;
        const QJsonObject stats = QJsonDocument::fromJson(Get("/status-json.xsl")).object();
        const QJsonValue sources = stats["icestats"].toObject()["source"];
        const QJsonArray list = sources.isArray() ? sources.toArray() : QJsonArray{sources};
        for (const QJsonValue& s : list) {
            const QString url = s.toObject()["listenurl"].toString();
            if (!url.isEmpty())
                out[QUrl(url).path()] = s.toObject()["listeners"].toInt();
        }
        return out;
    }
    bool MountLive(const QString& mount) { return Listeners().count(mount) > 0; }

    quint16 port = 0;

private:
    bool Listening()
    {
        QTcpSocket socket;
        socket.connectToHost(kHost, port);
        return socket.waitForConnected(200);
    }

    QByteArray Get(const QString& path)
    {
        QTcpSocket socket;
        socket.connectToHost(kHost, port);
        if (!socket.waitForConnected(1000))
            return {};
        socket.write(
            QStringLiteral("GET %1 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n").arg(path).toUtf8());
        QByteArray reply;
        while (socket.waitForReadyRead(1000))
            reply += socket.readAll();
        reply += socket.readAll();
        const qsizetype body = reply.indexOf("\r\n\r\n");
        return body < 0 ? QByteArray() : reply.mid(body + 4);
    }

    static void StopProcess(QProcess& p)
    {
        if (p.state() == QProcess::NotRunning)
            return;
        p.terminate();
        if (!p.waitForFinished(3000)) {
            p.kill();
            p.waitForFinished(3000);
        }
    }

    QTemporaryDir dir_;
    QString ffmpeg_;
    QString icecastPath_;
    std::map<QString, int> fed_;
    QProcess icecast_;
    std::map<QString, std::unique_ptr<QProcess>> sources_;
};

//! Serves one fixed reply to every connection, then closes: playlists, and a "stream"
//! that drops the connection after its first bytes.
class OneReplyServer {
public:
    explicit OneReplyServer(QByteArray reply) : reply_(std::move(reply))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    socket->readAll();
                    socket->write(reply_);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString Url(const QString& path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }

private:
    QTcpServer server_;
    QByteArray reply_;
};

//! The radio page over the real player. Its clock goes on with the real one, a tick per
//! second gone by, so the pauses between attempts take the time they say.
struct LivePage {
    WatchedLoop& loop;
    TestEnvironment env;
    RadioPlayback* radio = nullptr;
    QElapsedTimer since;
    qint64 ticked = 0;
    qint64 slowestTickMs = 0;

    LivePage(WatchedLoop& loop, const QString& catalogue) : loop(loop)
    {
        SetNetRadioLibraryFactory({}); // the real player
        env.WriteProgramFile("NetRadio.dat", catalogue);
        radio = env.Start<Pages::Radio>().Radio;
        since.start();
    }
    void Keep()
    {
        while (ticked < since.elapsed() / 1000) {
            ++ticked;
            QElapsedTimer t;
            t.start();
            env.Tick();
            slowestTickMs = std::max(slowestTickMs, t.elapsed());
        }
    }
    //! Runs the loop, the page's clock keeping pace with the real one, until `done`.
    bool Until(const std::function<bool()>& done, int ms)
    {
        return loop.RunUntil(
            [&] {
                Keep();
                return done();
            },
            ms);
    }
    void Run(int ms)
    {
        Until([] { return false; }, ms);
    }
    void Play(const QString& station)
    {
        radio->CurrentRadioName = station;
        radio->PlayStopButtonClick();
    }
    QString Label() const { return radio->RadioPlayState->text(); }
};

class RadioStreams : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // As at the first play after an install; the program brings the backend up at start.
        UseColdMediaRegistry();
        // Every server here is on loopback; a proxy from the environment would take the
        // player's and the stream sources' connections instead.
        for (const char* name :
             {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            qunsetenv(name);
        backend_ = std::make_unique<MediaBackend>();
        server_ = std::make_unique<StreamServer>();
        QString why;
        if (!server_->Start(&why)) {
            skip_ = why;
            server_.reset();
            return;
        }
        server_->Feed("/a.mp3", 440);
        server_->Feed("/b.mp3", 660);
        WatchedLoop loop;
        loop.RunUntil([] { return server_->MountLive("/a.mp3") && server_->MountLive("/b.mp3"); },
                      15000);
    }
    static void TearDownTestSuite()
    {
        std::cout << "slowest command: " << slowest_ << " ms, longest freeze: " << longestGap_
                  << " ms" << std::endl;
        server_.reset();
        backend_.reset();
    }

    void SetUp() override
    {
        if (!server_)
            GTEST_SKIP() << skip_.toStdString();
        library_ = std::make_unique<QtNetRadioLibrary>();
    }
    void TearDown() override
    {
        library_.reset();
        longestGap_ = std::max(longestGap_, loop_.longestGapMs);
    }

    //! One command; every one must come back at once.
    QString Send(int command, const QString& argument = {})
    {
        QElapsedTimer t;
        t.start();
        const QString result = library_->ExecuteWMP(command, argument);
        slowest_ = std::max(slowest_, t.elapsed());
        EXPECT_LT(t.elapsed(), 200) << "command " << command << " blocked";
        return result;
    }
    void Start(const QString& url, int volume = 60)
    {
        Send(3);
        Send(5, QString::number(volume));
        Send(0, url);
    }
    //! Waits for a status that starts with `prefix`, keeping the event loop turning.
    bool AwaitStatus(const QString& prefix, int ms = 15000)
    {
        return loop_.RunUntil([&] { return Send(2).startsWith(prefix); }, ms);
    }
    //! Waits for the player to give the stream up, failed or dropped.
    bool AwaitGivenUp()
    {
        return loop_.RunUntil(
            [&] {
                const QString s = Send(2);
                return s.startsWith("播放失败") || s == "电台连接已断开";
            },
            15000);
    }
    int Listening(const QString& mount) { return server_->Listeners()[mount]; }
    bool AwaitListeners(const QString& mount, int count, int ms = 8000)
    {
        return loop_.RunUntil([&] { return Listening(mount) == count; }, ms);
    }

    static inline std::unique_ptr<MediaBackend> backend_;
    static inline qint64 slowest_ = 0;
    static inline qint64 longestGap_ = 0;
    static inline std::unique_ptr<StreamServer> server_;
    static inline QString skip_;
    std::unique_ptr<QtNetRadioLibrary> library_;
    WatchedLoop loop_;
};

TEST_F(RadioStreams, PlaysAStreamUntilStoppedAndSwitchesStations)
{
    Start(server_->Url("/a.mp3"));
    ASSERT_TRUE(AwaitStatus("正在播放")) << Send(2).toStdString();
    EXPECT_TRUE(AwaitListeners("/a.mp3", 1));
    // Still playing a few seconds on: the stream keeps coming after the call returned.
    loop_.Run(2500);
    EXPECT_EQ(Send(2), "正在播放");
    Send(5, "20");

    // A double-click's order: stop, then start the other station.
    Send(4);
    EXPECT_EQ(Send(2), "已停止");
    EXPECT_TRUE(AwaitListeners("/a.mp3", 0));
    Start(server_->Url("/b.mp3"));
    ASSERT_TRUE(AwaitStatus("正在播放")) << Send(2).toStdString();
    EXPECT_TRUE(AwaitListeners("/b.mp3", 1));
    // A timing's order: 3, 5, 0 over a playing station, no stop first.
    Start(server_->Url("/a.mp3"));
    ASSERT_TRUE(AwaitStatus("正在播放")) << Send(2).toStdString();
    EXPECT_TRUE(AwaitListeners("/b.mp3", 0));
    EXPECT_EQ(Listening("/a.mp3"), 1);
    Send(4);
    EXPECT_TRUE(AwaitListeners("/a.mp3", 0));
    EXPECT_LT(loop_.longestGapMs, 300);
}

TEST_F(RadioStreams, PlaylistsAreResolvedAndADeadMirrorFallsThroughToTheNext)
{
    // icecast publishes an .m3u for every mount.
    Start(server_->Url("/a.mp3.m3u"));
    ASSERT_TRUE(AwaitStatus("正在播放")) << Send(2).toStdString();
    EXPECT_TRUE(AwaitListeners("/a.mp3", 1));
    Send(4);

    const quint16 dead = FreePort();
    OneReplyServer pls("HTTP/1.0 200 OK\r\nContent-Type: audio/x-scpls\r\n\r\n"
                       "[playlist]\nNumberOfEntries=2\nFile1=http://127.0.0.1:" +
                       QByteArray::number(dead) +
                       "/gone.mp3\nFile2=" + server_->Url("/b.mp3").toUtf8() + "\nVersion=2\n");
    Start(pls.Url("/station.pls"));
    ASSERT_TRUE(AwaitStatus("正在播放")) << Send(2).toStdString();
    EXPECT_TRUE(AwaitListeners("/b.mp3", 1));
    Send(4);
    EXPECT_LT(loop_.longestGapMs, 300);
}

TEST_F(RadioStreams, RefusedAndDroppedStreamsReportAnErrorWithoutFreezing)
{
    Start(QStringLiteral("http://127.0.0.1:%1/nothing.mp3").arg(FreePort()));
    EXPECT_TRUE(AwaitStatus("播放失败")) << Send(2).toStdString();
    // Stopping a stream in error is as quick as any other command.
    Send(4);

    // A server that sends a little and hangs up.
    QByteArray bytes = "HTTP/1.0 200 OK\r\nContent-Type: audio/mpeg\r\n\r\n";
    bytes += QByteArray(4096, '\0');
    OneReplyServer drop(bytes);
    Start(drop.Url("/drop.mp3"));
    EXPECT_TRUE(AwaitGivenUp()) << Send(2).toStdString();
    Send(4);

    // A server, or a proxy, that takes the connection and never answers.
    QTcpServer silent;
    silent.listen(QHostAddress::LocalHost, 0);
    library_ = std::make_unique<QtNetRadioLibrary>(2000);
    Start(QStringLiteral("http://127.0.0.1:%1/silent.mp3").arg(silent.serverPort()));
    EXPECT_TRUE(AwaitStatus("播放失败：连接电台超时", 10000)) << Send(2).toStdString();
    Send(4);

    // The source of a live station goes away while it plays.
    server_->Feed("/c.mp3", 550);
    ASSERT_TRUE(loop_.RunUntil([&] { return server_->MountLive("/c.mp3"); }, 15000));
    Start(server_->Url("/c.mp3"));
    ASSERT_TRUE(AwaitStatus("正在播放")) << Send(2).toStdString();
    server_->Unfeed("/c.mp3");
    EXPECT_TRUE(AwaitGivenUp()) << Send(2).toStdString();
    Send(4);
    Send(0, QString());
    EXPECT_EQ(Send(2), "播放失败：电台地址无效");
    EXPECT_LT(loop_.longestGapMs, 300);
}

TEST_F(RadioStreams, TheRadioPageShowsThePlayingStation)
{
    library_.reset();
    TestEnvironment env;
    SetNetRadioLibraryFactory({}); // the real player for this window
    env.WriteProgramFile("NetRadio.dat", "[测试]\n本机电台=" + server_->Url("/a.mp3") + "\n");
    TMainForm& form = env.StartForm();
    QTreeWidget* tree = form.Feature<RadioCatalogue>()->RadioTreeView;
    QTreeWidgetItem* station = tree->topLevelItem(0)->child(0);
    tree->setCurrentItem(station);
    emit tree->itemDoubleClicked(station, 0);
    EXPECT_TRUE(loop_.RunUntil(
        [&] {
            env.Tick();
            return form.Feature<RadioPlayback>()->RadioPlayState->text() == "本机电台\n正在播放";
        },
        15000))
        << form.Feature<RadioPlayback>()->RadioPlayState->text().toStdString();
    form.Feature<RadioPlayback>()->PlayStopButtonClick();
    EXPECT_TRUE(AwaitListeners("/a.mp3", 0));
}

TEST_F(RadioStreams, AServerRestartedWhilePlayingIsReconnectedAndAStopStaysAStop)
{
    StreamServer station;
    QString why;
    ASSERT_TRUE(station.Start(&why)) << why.toStdString();
    station.Feed("/r.mp3", 500);
    ASSERT_TRUE(loop_.RunUntil([&] { return station.MountLive("/r.mp3"); }, 15000));
    LivePage page(loop_, "[测试]\n重连电台=" + station.Url("/r.mp3") + "\n");
    const auto playing = [&] { return page.Label() == "重连电台\n正在播放"; };
    page.Play("重连电台");
    ASSERT_TRUE(page.Until(playing, 15000)) << page.Label().toStdString();

    station.Kill();
    ASSERT_TRUE(page.Until([&] { return page.Label().contains("正在重新连接"); }, 30000))
        << page.Label().toStdString();
    page.Run(3000); // attempts meet a closed port
    EXPECT_TRUE(page.Label().contains("正在重新连接")) << page.Label().toStdString();
    ASSERT_TRUE(station.Restart(&why)) << why.toStdString();
    QElapsedTimer back;
    back.start();
    ASSERT_TRUE(page.Until(playing, 45000)) << page.Label().toStdString();
    // The pauses are 8 and 15 s by now: back well before the 30 s ones begin.
    EXPECT_LT(back.elapsed(), 35000);
    EXPECT_TRUE(page.Until([&] { return station.Listeners()["/r.mp3"] == 1; }, 8000));

    page.radio->PlayStopButtonClick();
    station.Kill();
    ASSERT_TRUE(station.Restart(&why)) << why.toStdString();
    page.Run(6000);
    EXPECT_EQ(page.Label(), "目前暂无播放的电台");
    EXPECT_EQ(station.Listeners()["/r.mp3"], 0);
    EXPECT_LT(page.slowestTickMs, 200);
}

TEST_F(RadioStreams, AMissingMountIsGivenUpAndAMirrorTakesOver)
{
    // icecast answers 404 for a mount nobody feeds: the player says it is hopeless.
    Start(server_->Url("/missing.mp3"));
    ASSERT_TRUE(AwaitStatus("播放失败")) << Send(2).toStdString();
    EXPECT_TRUE(library_->State().hopeless) << Send(2).toStdString();
    EXPECT_EQ(library_->State().phase, NetRadioLibrary::StreamState::Failed);
    Send(4);

    LivePage page(loop_, "[甲]\n镜像电台=" + server_->Url("/missing.mp3") +
                             "\n[乙]\n镜像电台=" + server_->Url("/b.mp3") +
                             "\n[丙]\n坏电台=" + server_->Url("/gone.mp3") + "\n");
    page.Play("镜像电台");
    ASSERT_TRUE(page.Until([&] { return page.Label() == "镜像电台\n正在播放"; }, 20000))
        << page.Label().toStdString();
    EXPECT_TRUE(AwaitListeners("/b.mp3", 1));
    page.radio->PlayStopButtonClick();

    page.Play("坏电台");
    ASSERT_TRUE(page.Until([&] { return !page.radio->RadioPlaying; }, 20000))
        << page.Label().toStdString();
    const QString gaveUp = page.Label();
    EXPECT_TRUE(gaveUp.startsWith("坏电台\n播放失败")) << gaveUp.toStdString();
    page.Run(4000);
    EXPECT_EQ(page.Label(), gaveUp);
    EXPECT_FALSE(page.radio->RadioPlaying);
    EXPECT_LT(page.slowestTickMs, 200);
}

TEST_F(RadioStreams, TheSleepTimerEndsALiveStream)
{
    LivePage page(loop_, "[测试]\n本机电台=" + server_->Url("/a.mp3") + "\n");
    page.Play("本机电台");
    ASSERT_TRUE(page.Until([&] { return page.Label() == "本机电台\n正在播放"; }, 15000))
        << page.Label().toStdString();
    page.radio->SleepTimer->SleepTimerComboBox->setCurrentIndex(1);
    page.env.Tick(15 * 60 - 4); // the clock is moved on to just before the fade ends
    EXPECT_TRUE(page.Until([&] { return !page.radio->RadioPlaying; }, 10000));
    EXPECT_TRUE(AwaitListeners("/a.mp3", 0));
    EXPECT_EQ(page.radio->SleepTimer->SleepTimerComboBox->currentIndex(), 0);
}

} // namespace
