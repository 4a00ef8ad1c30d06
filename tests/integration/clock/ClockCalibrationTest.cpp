#include "reminders/ClockCalibration.h"
#include "integration/DbusMockSuite.h"
#include "platform/linux/TimedatedClockSetter.h"
#include "reminders/NetTimeClient.h"
#include "support/TestEnvironment.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtEndian>

#include <optional>

namespace {

using Outcome = NetTimeClient::Outcome;

constexpr std::int64_t kEpochOffset = 2208988800LL;

QByteArray Count(std::uint32_t v)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(v, bytes.data());
    return bytes;
}

//! A Time Protocol server on 127.0.0.1: sends `reply` to each caller and closes, or, when
//! silent, keeps the connection open and says nothing.
class TimeServer : public QTcpServer {
public:
    QByteArray reply;
    bool silent = false;
    int delayMs = 0;
    int connections = 0;

    TimeServer()
    {
        listen(QHostAddress::LocalHost, 0);
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = nextPendingConnection()) {
                ++connections;
                held_ << s;
                if (silent)
                    continue;
                // Precise: a coarse timer may fire 5 % early, under the two seconds the
                // slow round trip must last.
                QTimer::singleShot(delayMs, Qt::PreciseTimer, s, [this, s] {
                    s->write(reply);
                    s->disconnectFromHost();
                });
            }
        });
    }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(serverPort()); }

private:
    QList<QPointer<QTcpSocket>> held_;
};

std::optional<NetTimeClient::Result> FetchFrom(quint16 port,
                                               const QString& host = QStringLiteral("127.0.0.1"))
{
    NetTimeClient client;
    std::optional<NetTimeClient::Result> got;
    EXPECT_TRUE(client.Fetch(host, port, [&](const NetTimeClient::Result& r) { got = r; }));
    EXPECT_FALSE(got.has_value()) << "the answer comes from the event loop, not from Fetch";
    WaitFor([&] { return got.has_value(); }, 8000);
    return got;
}

struct ServerCase {
    const char* name;
    QByteArray reply;
    Outcome outcome;
    std::int64_t unixSeconds;
    int delayMs = 0;
};

class TimeServers : public ::testing::TestWithParam<ServerCase> {};

TEST_P(TimeServers, AnswerAsTheyShould)
{
    const ServerCase& c = GetParam();
    TimeServer server;
    server.reply = c.reply;
    server.delayMs = c.delayMs;
    const auto got = FetchFrom(server.serverPort());
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->outcome, c.outcome);
    EXPECT_EQ(got->unixSeconds, c.unixSeconds);
    EXPECT_EQ(server.connections, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, TimeServers,
    ::testing::Values(
        // 2026-12-09 10:00:00 UTC.
        ServerCase{"RightTime", Count(1796810400 + kEpochOffset), Outcome::Time, 1796810400},
        ServerCase{"Zero", Count(0), Outcome::ReadFailed, 0},
        ServerCase{"ShortRead", Count(0xEE000000).left(3), Outcome::ReadFailed, 0},
        ServerCase{"NothingAndClose", QByteArray(), Outcome::ReadFailed, 0},
        ServerCase{"BeforeTwentyTwentySix", Count(1700000000 + kEpochOffset), Outcome::ReadFailed,
                   0},
        // The count wrapped: 1000 s into the era that began on 2036-02-07 06:28:16.
        ServerCase{"PastTheWrap", Count(1000), Outcome::Time, 0x100000000LL - kEpochOffset + 1000},
        ServerCase{"MoreThanFourBytes", Count(1796810400 + kEpochOffset) + "junk", Outcome::Time,
                   1796810400},
        // 2.1 s there and back: half of it, one whole second, is added.
        ServerCase{"SlowRoundTrip", Count(1796810400 + kEpochOffset), Outcome::Time, 1796810401,
                   2100}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeServer, ASilentServerFailsAfterTheReadLimitAndTheLoopRunsMeanwhile)
{
    TimeServer server;
    server.silent = true;
    NetTimeClient client;
    std::optional<NetTimeClient::Result> got;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(client.Fetch("127.0.0.1", server.serverPort(), [&](const auto& r) { got = r; }));
    EXPECT_LT(clock.elapsed(), 100) << "Fetch returns at once";
    EXPECT_FALSE(client.Fetch("127.0.0.1", server.serverPort(), [](const auto&) {}))
        << "one exchange at a time";

    // A one-second tick stand-in: it must keep its pace while the server says nothing.
    std::vector<qint64> ticks;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ticks.push_back(clock.elapsed()); });
    tick.start(1000);
    WaitFor([&] { return got.has_value(); }, 8000);
    const qint64 took = clock.elapsed();
    WaitFor([] { return false; }, 1100);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->outcome, Outcome::ReadFailed);
    EXPECT_GE(took, NetTimeClient::kReadLimitMs - 50);
    EXPECT_LT(took, NetTimeClient::kReadLimitMs + 1000);
    ASSERT_GE(ticks.size(), 3u);
    for (size_t i = 1; i < ticks.size(); ++i)
        EXPECT_LT(ticks[i] - ticks[i - 1], 1200) << "tick " << i;
    EXPECT_FALSE(client.Busy());
}

TEST(TimeServer, ARefusedPortOrANameThatDoesNotResolveIsAConnectError)
{
    quint16 port = 0;
    {
        TimeServer gone;
        port = gone.serverPort();
    }
    const auto refused = FetchFrom(port);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->outcome, Outcome::ConnectError);

    // .invalid never resolves (RFC 6761); nothing leaves the machine for it.
    const auto unresolved = FetchFrom(37, QStringLiteral("quorlin.invalid"));
    ASSERT_TRUE(unresolved.has_value());
    EXPECT_EQ(unresolved->outcome, Outcome::ConnectError);
}

//! dbusmock's timedated on a private bus; each test reads the calls it caused from the
//! mock's output.
class Timedated : public DbusMockSuite {
protected:
    static void SetUpTestSuite()
    {
        StartMock(QStringLiteral("timedated"), kService,
                  QStringLiteral("/org/freedesktop/timedate1"));
    }

    //! SetTime refused as timedated refuses it with NTP on or without the right.
    static void RefuseSetTime(const QString& error)
    {
        Mock("AddMethod",
             {kService, "SetTime", "xbb", "",
              QStringLiteral("raise dbus.exceptions.DBusException('refused', name='%1')")
                  .arg(error)});
    }

    //! What timedated says of the system's time service.
    static void SetNtp(bool on, bool synchronized)
    {
        Mock("UpdateProperties",
             {kService, QVariantMap{{"NTP", on}, {"NTPSynchronized", synchronized}}});
    }

    //! The SetTime calls since the test began, without time stamps.
    QStringList SetTimeCalls() const
    {
        return LoggedCalls([](const QString& call) { return call.startsWith("SetTime"); });
    }

    static platform::TimedatedClockSetter Setter()
    {
        return platform::TimedatedClockSetter(mock_->bus.address);
    }

    inline static const QString kService = QStringLiteral("org.freedesktop.timedate1");
};

TEST_F(Timedated, SetTimeGetsAbsoluteMicrosecondsWithoutAPrompt)
{
    EXPECT_TRUE(Setter().setUtc(1796810400));
    EXPECT_EQ(SetTimeCalls(), QStringList({"SetTime 1796810400000000 False False"}));
}

TEST_F(Timedated, TheStateOfTheTimeServiceIsRead)
{
    using Sync = platform::SystemClockSetter::Sync;
    const struct {
        bool ntp, synchronized;
        Sync sync;
    } rows[] = {{true, true, Sync::InStep},
                {false, true, Sync::InStep}, // chrony or ntpd outside timedated
                {true, false, Sync::Automatic},
                {false, false, Sync::Unknown}};
    auto setter = Setter();
    for (const auto& row : rows) {
        SetNtp(row.ntp, row.synchronized);
        std::optional<Sync> got;
        setter.querySync([&](Sync s) { got = s; });
        WaitFor([&] { return got.has_value(); }, 5000);
        EXPECT_EQ(got, row.sync) << row.ntp << row.synchronized;
    }
}

TEST_F(Timedated, ARefusalIsAFailureWithItsOutcome)
{
    using SetOutcome = platform::SystemClockSetter::Outcome;
    const struct {
        const char* error;
        SetOutcome outcome;
    } rows[] = {
        {"org.freedesktop.timedate1.AutomaticTimeSyncEnabled", SetOutcome::AutomaticSyncOn},
        {"org.freedesktop.DBus.Error.InteractiveAuthorizationRequired", SetOutcome::NotAllowed},
        {"org.freedesktop.DBus.Error.AccessDenied", SetOutcome::NotAllowed},
        {"org.freedesktop.DBus.Error.Failed", SetOutcome::Failed},
    };
    auto setter = Setter();
    for (const auto& row : rows) {
        RefuseSetTime(row.error);
        EXPECT_FALSE(setter.setUtc(1796810400)) << row.error;
        std::optional<SetOutcome> got;
        setter.setUtcMs(1796810400500, [&](SetOutcome o) { got = o; });
        WaitFor([&] { return got.has_value(); }, 5000);
        EXPECT_EQ(got, row.outcome) << row.error;
    }
    const QStringList calls = SetTimeCalls();
    ASSERT_EQ(calls.size(), 16) << calls.join(" | ").toStdString(); // each call and its raise
    EXPECT_TRUE(calls[1].startsWith("SetTime raised")) << calls[1].toStdString();
}

TEST_F(Timedated, ASlowSetTimeDoesNotHoldTheCaller)
{
    Mock("AddMethod", {kService, "SetTime", "xbb", "", "import time; time.sleep(2)"});
    auto setter = Setter();
    std::optional<platform::SystemClockSetter::Outcome> got;
    QElapsedTimer clock;
    clock.start();
    setter.setUtcMs(1796810400500, [&](auto o) { got = o; });
    EXPECT_LT(clock.elapsed(), 200) << "the call returns before timedated answers";
    EXPECT_FALSE(got.has_value());
    WaitFor([&] { return got.has_value(); }, 8000);
    EXPECT_EQ(got, platform::SystemClockSetter::Outcome::Set);
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_EQ(SetTimeCalls(), QStringList{"SetTime 1796810400500000 False False"});
}

TEST(TimedatedUnreachable, NoBusOrNoServiceIsAFailure)
{
    EXPECT_FALSE(
        platform::TimedatedClockSetter("unix:path=/nonexistent/quorlin-bus").setUtc(1796810400));
    PrivateBus empty;
    ASSERT_TRUE(empty.Start());
    EXPECT_FALSE(platform::TimedatedClockSetter(empty.address).setUtc(1796810400));
}

//! The hourly calibration as the program runs it: the real client against a server on
//! loopback, the real setter against the timedated mock, balloons through the fake ui.
class Calibration : public Timedated {
protected:
    Calibration() { env.Start<ClockCalibration>(); }
    void SetUp() override
    {
        Timedated::SetUp();
        env.platform.clockSetter =
            std::make_unique<platform::TimedatedClockSetter>(mock_->bus.address);
        env.clock->Set(QDate(2026, 12, 9), QTime(10, 0, 0));
        UseTimeServer(server.Address());
        // A clock no time service keeps: the program's to set.
        SetNtp(false, false);
    }

    void UseTimeServer(const QString& address)
    {
        env.servers.timeServer = address;
        env.Host().Context().SetServers(env.servers);
    }

    //! The fake clock's time as the server's count, `aheadS` seconds on.
    QByteArray ClockCount(std::int64_t aheadS = 0) const
    {
        return Count(static_cast<std::uint32_t>(Unix() + aheadS + kEpochOffset));
    }
    std::int64_t Unix() const { return env.clock->Current().toSecsSinceEpoch(); }
    //! One tick at the clock's time, then the event loop until the exchange is over.
    void CalibrateNow()
    {
        env.RunTick();
        WaitFor([&] { return !env.Feature<ClockCalibration>().Busy(); }, 8000);
        // Let the last queued deliveries run.
        WaitFor([] { return false; }, 50);
    }
    QStringList Balloons() const { return env.ui.Texts("balloon"); }

    TimeServer server;
    TestEnvironment env;
};

TEST_F(Calibration, AClockThatIsOffIsSetSilentlyOneThatIsRightIsLeftAloneAWrappedCountIsNext)
{
    server.reply = ClockCount(3600);
    CalibrateNow();
    EXPECT_EQ(
        SetTimeCalls(),
        QStringList{
            QStringLiteral("SetTime %1 False False").arg((Unix() + 3600) * 1000000 + 500000)});

    env.clock->AdvanceSeconds(3600);
    server.reply = ClockCount(0);
    CalibrateNow();
    EXPECT_EQ(SetTimeCalls().size(), 1) << "within a second: nothing set";
    EXPECT_EQ(server.connections, 2);

    // A count past the wrap sets the clock in the next era.
    env.clock->AdvanceSeconds(3600);
    server.reply = Count(1000);
    CalibrateNow();
    EXPECT_EQ(SetTimeCalls().mid(1), QStringList{"SetTime 2085979496500000 False False"});
    EXPECT_TRUE(Balloons().isEmpty());
}

TEST_F(Calibration, EachFailureShowsItsBalloonAndSetsNothing)
{
    const QString notSet = "校准中国时间失败";
    const struct {
        const char* name;
        QByteArray reply;
        bool refusedPort;
        QString balloon;
    } rows[] = {
        {"zero", Count(0), false, notSet},
        {"short read", Count(0xEE000000).left(2), false, notSet},
        {"refused port", {}, true, "网络异常:校准中国时间失败,请检查网络是否正常"},
    };
    for (const auto& row : rows) {
        env.ui.Clear();
        server.reply = row.reply;
        if (row.refusedPort) {
            TimeServer gone;
            UseTimeServer(gone.Address());
        }
        env.clock->AdvanceSeconds(3600);
        CalibrateNow();
        EXPECT_EQ(Balloons(), QStringList{row.balloon}) << row.name;
    }
    EXPECT_TRUE(SetTimeCalls().isEmpty());
}

TEST_F(Calibration, AClockTheTimeServiceKeepsIsNotTouched)
{
    SetNtp(true, true);
    server.reply = ClockCount(-120);
    CalibrateNow();
    EXPECT_EQ(server.connections, 0);
    EXPECT_TRUE(SetTimeCalls().isEmpty());
    EXPECT_TRUE(Balloons().isEmpty());

    // On, but not yet synchronised: timedated would refuse, so it is not asked.
    SetNtp(true, false);
    env.clock->AdvanceSeconds(3600);
    server.reply = ClockCount(-120);
    CalibrateNow();
    EXPECT_EQ(server.connections, 1);
    EXPECT_TRUE(SetTimeCalls().isEmpty());
    EXPECT_TRUE(Balloons().isEmpty());
}

TEST_F(Calibration, ARefusalIsToldOnceAndTheOtherHoursAreQuiet)
{
    RefuseSetTime("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired");
    for (int hour = 0; hour < 2; ++hour) {
        if (hour > 0)
            env.clock->AdvanceSeconds(3600);
        server.reply = ClockCount(-120);
        CalibrateNow();
    }
    EXPECT_EQ(Balloons(), QStringList{"校准中国时间失败：没有设置系统时钟的权限"});
    const QStringList calls = SetTimeCalls();
    ASSERT_EQ(calls.size(), 4) << calls.join(" | ").toStdString(); // each call and its raise
    EXPECT_EQ(
        calls[0],
        QStringLiteral("SetTime %1 False False").arg((Unix() - 3600 - 120) * 1000000 + 500000));

    // Refused for automatic synchronisation (it was switched on meanwhile): not a word.
    env.ui.Clear();
    RefuseSetTime("org.freedesktop.timedate1.AutomaticTimeSyncEnabled");
    env.clock->AdvanceSeconds(3600);
    server.reply = ClockCount(-120);
    CalibrateNow();
    EXPECT_TRUE(Balloons().isEmpty());
}

TEST_F(Calibration, TheTickKeepsItsSecondsWhileTheServerSaysNothing)
{
    server.silent = true;
    QElapsedTimer clock;
    clock.start();
    std::vector<qint64> ran;
    env.Host().Context().OnTick(TickCheck::CheckRestReminders,
                                [&] { ran.push_back(clock.elapsed()); });
    env.clock->Set(QDate(2026, 12, 9), QTime(9, 59, 59));
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] { env.Tick(); });
    tick.start(1000);
    env.Tick(); // 10:00:00
    WaitFor([&] { return !Balloons().isEmpty(); }, 8000);
    const qint64 took = clock.elapsed();
    WaitFor([] { return false; }, 1100);
    tick.stop();

    EXPECT_EQ(Balloons(), QStringList{"校准中国时间失败"});
    EXPECT_GE(took, NetTimeClient::kReadLimitMs - 50);
    EXPECT_LT(took, NetTimeClient::kReadLimitMs + 1000);
    ASSERT_GE(ran.size(), 4u);
    EXPECT_LT(ran[0], 100) << "the check after the calibration ran in the same tick";
    for (size_t i = 1; i < ran.size(); ++i)
        EXPECT_LT(ran[i] - ran[i - 1], 1200) << "tick " << i;
    EXPECT_TRUE(SetTimeCalls().isEmpty());
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (!HaveDbusMock())
        return 77;
    return RUN_ALL_TESTS();
}
