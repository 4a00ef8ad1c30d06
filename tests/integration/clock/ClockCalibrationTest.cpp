#include "platform/linux/TimedatedClockSetter.h"
#include "reminders/NetTimeClient.h"
#include "support/PrivateBus.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include <cstdio>
#include <optional>

namespace {

using Outcome = NetTimeClient::Outcome;

constexpr std::int64_t kEpochOffset = 2208988800LL;

// Runs the event loop until `done` holds or `ms` have passed.
bool WaitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

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
                QTimer::singleShot(delayMs, s, [this, s] {
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

std::optional<NetTimeClient::Result> FetchFrom(quint16 port, int waitMs = 8000)
{
    NetTimeClient client;
    std::optional<NetTimeClient::Result> got;
    EXPECT_TRUE(client.Fetch(QStringLiteral("127.0.0.1"), port,
                             [&](const NetTimeClient::Result& r) { got = r; }));
    EXPECT_FALSE(got.has_value()) << "the answer comes from the event loop, not from Fetch";
    WaitFor([&] { return got.has_value(); }, waitMs);
    return got;
}

struct ServerCase {
    const char* name;
    QByteArray reply;
    Outcome outcome;
    std::int64_t unixSeconds;
};

class TimeServers : public ::testing::TestWithParam<ServerCase> {};

TEST_P(TimeServers, AnswerAsTheyShould)
{
    const ServerCase& c = GetParam();
    TimeServer server;
    server.reply = c.reply;
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
                   1796810400}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimeServer, HalfASlowRoundTripIsAdded)
{
    TimeServer server;
    server.reply = Count(1796810400 + kEpochOffset);
    server.delayMs = 2100;
    const auto got = FetchFrom(server.serverPort());
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->outcome, Outcome::Time);
    EXPECT_EQ(got->unixSeconds, 1796810401) << "2.1 s there and back: one second added";
}

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

TEST(TimeServer, ARefusedPortIsAConnectError)
{
    quint16 port = 0;
    {
        TimeServer gone;
        port = gone.serverPort();
    }
    const auto got = FetchFrom(port);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->outcome, Outcome::ConnectError);
}

TEST(TimeServer, ANameThatDoesNotResolveIsAConnectError)
{
    NetTimeClient client;
    std::optional<NetTimeClient::Result> got;
    // .invalid never resolves (RFC 6761); nothing leaves the machine for it.
    ASSERT_TRUE(client.Fetch("quorlin.invalid", 37, [&](const auto& r) { got = r; }));
    WaitFor([&] { return got.has_value(); }, 8000);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->outcome, Outcome::ConnectError);
}

//! dbusmock's timedated on a private bus; each test reads the calls it caused from the
//! mock's output.
class Timedated : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        bus_ = new PrivateBus;
        ASSERT_TRUE(bus_->Start()) << "dbus-daemon did not start";
        logDir_ = new QTemporaryDir;
        mock_ = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", bus_->address);
        mock_->setProcessEnvironment(env);
        mock_->setStandardOutputFile(logDir_->filePath("mock.log"));
        mock_->setStandardErrorFile(logDir_->filePath("mock.err"));
        mock_->start("/usr/bin/python3", {"-m", "dbusmock", "--template", "timedated"});
        ASSERT_TRUE(mock_->waitForStarted(10000));
        control_ = new QDBusConnection(
            QDBusConnection::connectToBus(bus_->address, QStringLiteral("test-control")));
        ASSERT_TRUE(control_->isConnected());
        ASSERT_TRUE(WaitFor(
            [] { return control_->interface()->isServiceRegistered(kService).value(); }, 10000))
            << "the timedated mock did not appear on the bus";
    }

    static void TearDownTestSuite()
    {
        delete control_;
        control_ = nullptr;
        QDBusConnection::disconnectFromBus(QStringLiteral("test-control"));
        if (mock_) {
            mock_->kill();
            mock_->waitForFinished(5000);
        }
        delete mock_;
        mock_ = nullptr;
        delete bus_;
        bus_ = nullptr;
        delete logDir_;
        logDir_ = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(Mock("Reset"));
        logStart_ = QFile(logDir_->filePath("mock.log")).size();
    }

    static bool Mock(const QString& method, const QVariantList& args = {})
    {
        QDBusMessage msg =
            QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/timedate1"),
                                           QStringLiteral("org.freedesktop.DBus.Mock"), method);
        msg.setArguments(args);
        const QDBusMessage reply = control_->call(msg);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    //! SetTime refused as timedated refuses it with NTP on or without the right.
    static void RefuseSetTime(const QString& error)
    {
        Mock("AddMethod",
             {kService, "SetTime", "xbb", "",
              QStringLiteral("raise dbus.exceptions.DBusException('refused', name='%1')")
                  .arg(error)});
    }

    //! The SetTime calls since the test began, without time stamps.
    QStringList SetTimeCalls() const
    {
        QFile log(logDir_->filePath("mock.log"));
        if (!log.open(QIODevice::ReadOnly))
            return {};
        log.seek(logStart_);
        QStringList calls;
        for (const QString& line : QString::fromUtf8(log.readAll()).split(u'\n')) {
            const QString call = line.mid(line.indexOf(u' ') + 1);
            if (call.startsWith("SetTime"))
                calls << call;
        }
        return calls;
    }

    static platform::TimedatedClockSetter Setter()
    {
        return platform::TimedatedClockSetter(bus_->address);
    }

    inline static const QString kService = QStringLiteral("org.freedesktop.timedate1");
    inline static PrivateBus* bus_ = nullptr;
    inline static QProcess* mock_ = nullptr;
    inline static QDBusConnection* control_ = nullptr;
    inline static QTemporaryDir* logDir_ = nullptr;
    qint64 logStart_ = 0;
};

TEST_F(Timedated, SetTimeGetsAbsoluteMicrosecondsWithoutAPrompt)
{
    EXPECT_TRUE(Setter().setUtc(1796810400));
    EXPECT_EQ(SetTimeCalls(), QStringList({"SetTime 1796810400000000 False False"}));
}

TEST_F(Timedated, ARefusalIsAFailure)
{
    for (const char* error : {"org.freedesktop.timedate1.AutomaticTimeSyncEnabled",
                              "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired",
                              "org.freedesktop.DBus.Error.AccessDenied"}) {
        RefuseSetTime(error);
        EXPECT_FALSE(Setter().setUtc(1796810400)) << error;
    }
    const QStringList calls = SetTimeCalls();
    ASSERT_EQ(calls.size(), 6) << calls.join(" | ").toStdString();
    EXPECT_TRUE(calls[1].startsWith("SetTime raised")) << calls[1].toStdString();
}

TEST(TimedatedUnreachable, NoBusOrNoServiceIsAFailure)
{
    EXPECT_FALSE(
        platform::TimedatedClockSetter("unix:path=/nonexistent/quorlin-bus").setUtc(1796810400));
    PrivateBus empty;
    ASSERT_TRUE(empty.Start());
    EXPECT_FALSE(platform::TimedatedClockSetter(empty.address).setUtc(1796810400));
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const bool haveMock = QProcess::execute("/usr/bin/python3", {"-c", "import dbusmock"}) == 0;
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty() || !haveMock) {
        std::fprintf(stderr, "dbus-daemon or python3-dbusmock is not installed\n");
        return 77;
    }
    return RUN_ALL_TESTS();
}
