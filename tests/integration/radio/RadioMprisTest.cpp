#include "support/PrivateBus.h"
#include "support/TestEnvironment.h"
#include "support/WaitFor.h"

#include "radio/RadioCatalogue.h"
#include "radio/RadioMpris.h"
#include "radio/RadioPlayback.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QThread>

#include <functional>
#include <memory>

namespace {

using Phase = NetRadioLibrary::StreamState::Phase;

const QString kCatalogue = QStringLiteral("[音乐]\n"
                                          "Alpha=http://a.example/live\n"
                                          "Beta=http://b.example/beta\n"
                                          "[我最喜爱的电台]\n"
                                          "Beta=http://b.example/beta\n"
                                          "Gamma=http://g.example/g.mp3\n");

//! The radio page over the fake player, published on a private session bus, driven by
//! the desktop's own command-line client. The client's calls are answered by this
//! process's event loop, so every wait here keeps it turning and records the longest gap.
class RadioMprisTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        playerctl_ = QStandardPaths::findExecutable("playerctl");
        if (playerctl_.isEmpty())
            GTEST_SKIP() << "playerctl is not installed";
        if (!bus_.Start())
            GTEST_SKIP() << "dbus-daemon did not start";
        env_ = std::make_unique<TestEnvironment>();
        env_->WriteProgramFile("NetRadio.dat", kCatalogue);
        FeatureView& form = env_->Start<Pages::Radio>();
        radio_ = form.Radio;
        connection_ = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(bus_.address, QStringLiteral("radio-mpris-test")));
        ASSERT_TRUE(connection_->isConnected());
        mpris_ = std::make_unique<RadioMpris>(env_->Host().Context(), *form.RadioStations, *radio_,
                                              *connection_);
        ASSERT_TRUE(RunUntil(
            [&] {
                return connection_->interface()
                    ->isServiceRegistered(RadioMpris::ServiceName())
                    .value();
            },
            5000));
    }
    void TearDown() override
    {
        mpris_.reset();
        connection_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("radio-mpris-test"));
        env_.reset();
    }

    bool RunUntil(const std::function<bool()>& done, int ms) { return loop_.RunUntil(done, ms); }

    QProcessEnvironment BusEnvironment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus_.address);
        return env;
    }

    //! One playerctl command for our player; its output, trimmed.
    QString Playerctl(const QStringList& args)
    {
        QProcess p;
        p.setProcessEnvironment(BusEnvironment());
        p.start(playerctl_, QStringList{"--player=quorlin"} + args);
        RunUntil([&] { return p.state() == QProcess::NotRunning; }, 10000);
        EXPECT_EQ(p.exitCode(), 0)
            << args.join(' ').toStdString() << ": " << p.readAllStandardError().toStdString();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }

    PrivateBus bus_;
    QString playerctl_;
    std::unique_ptr<TestEnvironment> env_;
    RadioPlayback* radio_ = nullptr;
    std::unique_ptr<QDBusConnection> connection_;
    std::unique_ptr<RadioMpris> mpris_;
    WatchedLoop loop_;
};

TEST_F(RadioMprisTest, PlayerctlPlaysPausesChangesStationAndReadsTheStation)
{
    EXPECT_EQ(Playerctl({"status"}), "Stopped");
    // Stopped: the favourites are stepped through without playing.
    Playerctl({"next"});
    EXPECT_EQ(radio_->CurrentRadioName, "Beta");
    EXPECT_EQ(Playerctl({"metadata", "xesam:title"}), "Beta");
    EXPECT_EQ(Playerctl({"status"}), "Stopped");

    Playerctl({"play"});
    EXPECT_EQ(radio_->PlayStopButton->text(), "暂停");
    EXPECT_EQ(env_->radio.Sent().last(), "0:http://b.example/beta");
    EXPECT_EQ(Playerctl({"status"}), "Playing");

    // The stream's own title, with the station beside it.
    env_->radio.state.phase = Phase::Playing;
    env_->radio.state.title = QStringLiteral("晚间新闻");
    env_->Tick();
    EXPECT_EQ(Playerctl({"metadata", "--format", "{{title}}|{{artist}}|{{album}}"}),
              "晚间新闻|Beta|Beta");

    Playerctl({"pause"});
    EXPECT_EQ(Playerctl({"status"}), "Paused");
    EXPECT_EQ(radio_->RadioPlayState->text(), "Beta\n已暂停");
    EXPECT_EQ(env_->radio.Sent().last(), "4:");

    Playerctl({"play-pause"});
    EXPECT_EQ(Playerctl({"status"}), "Playing");
    env_->radio.Clear();
    Playerctl({"next"});
    EXPECT_EQ(env_->radio.Sent(), QStringList({"4:", "3:", "5:100", "0:http://g.example/g.mp3"}));
    Playerctl({"previous"});
    EXPECT_EQ(radio_->CurrentRadioName, "Beta");

    Playerctl({"volume", "0.3"});
    EXPECT_EQ(radio_->RadioVolumeTrackBar->value(), 30);
    EXPECT_EQ(Playerctl({"volume"}).left(3), "0.3");

    // The page's own button is seen by the client at once.
    radio_->PlayStopButton->click();
    EXPECT_EQ(Playerctl({"status"}), "Stopped");
    Playerctl({"stop"});
    EXPECT_EQ(radio_->RadioPlayState->text(), "目前暂无播放的电台");
    EXPECT_LT(loop_.longestGapMs, 200);
}

TEST_F(RadioMprisTest, EveryChangeIsAnnouncedOnTheBus)
{
    QProcess monitor;
    monitor.setProcessEnvironment(BusEnvironment());
    monitor.start(QStringLiteral("dbus-monitor"),
                  {"--address", bus_.address,
                   "type='signal',interface='org.freedesktop.DBus.Properties',"
                   "member='PropertiesChanged'"});
    if (!monitor.waitForStarted(5000))
        GTEST_SKIP() << "dbus-monitor did not start";
    RunUntil([] { return false; }, 500); // the monitor's match is in place

    // From the page: a station, the volume, a stop.
    radio_->CurrentRadioName = "Gamma";
    radio_->PlayStopButton->click();
    radio_->RadioVolumeTrackBar->setValue(40);
    radio_->PlayStopButton->click();
    RunUntil([] { return false; }, 1000);
    monitor.terminate();
    monitor.waitForFinished(3000);
    const QString seen = QString::fromUtf8(monitor.readAllStandardOutput());
    EXPECT_TRUE(seen.contains("org.mpris.MediaPlayer2.Player")) << seen.toStdString();
    for (const char* expected : {"\"PlaybackStatus\"", "\"Playing\"", "\"Stopped\"", "\"Metadata\"",
                                 "\"Gamma\"", "\"Volume\"", "double 0.4"})
        EXPECT_TRUE(seen.contains(QString::fromUtf8(expected))) << expected << "\n"
                                                                << seen.toStdString();
}

} // namespace
