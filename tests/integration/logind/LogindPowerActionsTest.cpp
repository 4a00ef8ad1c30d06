#include "platform/linux/LogindPowerActions.h"
#include "integration/DbusMockSuite.h"
#include "support/TestResult.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QStandardPaths>

#include <X11/Xlib.h>

#include <csignal>
#include <cstdlib>
#include <ostream>
#include <unistd.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << l.join(" | ").toStdString();
}
QT_END_NAMESPACE

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kMock = QStringLiteral("org.freedesktop.DBus.Mock");

//! dbusmock's logind template; the calls are read without the property traffic.
class LogindMock : public DbusMockSuite {
protected:
    static void SetUpTestSuite() { StartMock(QStringLiteral("logind"), kLogind, kManagerPath); }

    void SetUp() override
    {
        DbusMockSuite::SetUp();
        qunsetenv("XDG_SESSION_ID");
    }

    //! Replaces or adds a method of the logind manager.
    static void Method(const QString& name, const QString& in, const QString& out,
                       const QString& code)
    {
        Mock("AddMethod", {kManager, name, in, out, code});
    }

    static void Refuse(const QString& name, const QString& in)
    {
        Method(name, in, "",
               "raise dbus.exceptions.DBusException('Access denied', "
               "name='org.freedesktop.DBus.Error.AccessDenied')");
    }

    QStringList Calls() const
    {
        return LoggedCalls([](const QString& call) {
            return !call.startsWith("Get ") && !call.startsWith("GetAll ") &&
                   !call.startsWith("Set ") && !call.startsWith("emit ");
        });
    }

    static platform::LogindPowerActions Actions()
    {
        return platform::LogindPowerActions(mock_->bus.address);
    }

    static QString AddSession(const QString& id)
    {
        QDBusMessage msg =
            QDBusMessage::createMethodCall(kLogind, kManagerPath, kMock, "AddSession");
        msg.setArguments(
            {id, QStringLiteral("seat0"), quint32(::getuid()), QStringLiteral("tester"), true});
        const QDBusMessage reply = mock_->control->call(msg);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        return reply.arguments().value(0).toString();
    }
};

struct ManagerCase {
    unsigned mode;
    const char* can;
    const char* action;
};

class LogindManagerModes : public LogindMock, public ::testing::WithParamInterface<ManagerCase> {};

TEST_P(LogindManagerModes, AskFirstThenCallTheActionWithoutInteraction)
{
    const ManagerCase& c = GetParam();
    EXPECT_TRUE(Actions().run(c.mode));
    EXPECT_EQ(Calls(), QStringList({c.can, QString(c.action) + " False"}));
}

TEST_P(LogindManagerModes, AChallengeStillTriesAndARefusalFails)
{
    const ManagerCase& c = GetParam();
    Method(c.can, "", "s", "ret = 'challenge'");
    Refuse(c.action, "b");
    EXPECT_FALSE(Actions().run(c.mode));
    const QStringList calls = Calls();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_EQ(calls.mid(0, 2), QStringList({c.can, QString(c.action) + " False"}));
    EXPECT_TRUE(calls[2].startsWith(QString(c.action) + " raised")) << calls[2].toStdString();
}

// A rule that stays due asks again on the next tick, while the first request is under way.
TEST_P(LogindManagerModes, AnActionAlreadyUnderWayCountsAsDone)
{
    const ManagerCase& c = GetParam();
    Method(c.action, "b", "",
           "raise dbus.exceptions.DBusException("
           "'There is already a shutdown or sleep operation in progress', "
           "name='org.freedesktop.login1.OperationInProgress')");
    EXPECT_TRUE(Actions().run(c.mode));
    const QStringList calls = Calls();
    ASSERT_EQ(calls.size(), 3);
    EXPECT_TRUE(calls[2].startsWith(QString(c.action) + " raised")) << calls[2].toStdString();
}

TEST_P(LogindManagerModes, NoAndNaAreRefusedWithoutCallingTheAction)
{
    const ManagerCase& c = GetParam();
    for (const char* answer : {"no", "na"}) {
        Method(c.can, "", "s", QStringLiteral("ret = '%1'").arg(answer));
        EXPECT_FALSE(Actions().run(c.mode)) << answer;
    }
    EXPECT_EQ(Calls(), QStringList({c.can, c.can}));
}

INSTANTIATE_TEST_SUITE_P(Modes, LogindManagerModes,
                         ::testing::Values(ManagerCase{0, "CanPowerOff", "PowerOff"},
                                           ManagerCase{1, "CanReboot", "Reboot"},
                                           ManagerCase{2, "CanSuspend", "Suspend"},
                                           ManagerCase{3, "CanHibernate", "Hibernate"}),
                         [](const auto& info) { return std::string(info.param.action); });

TEST_F(LogindMock, LogOffEndsTheSessionNamedByTheEnvironment)
{
    qputenv("XDG_SESSION_ID", "c7");
    EXPECT_TRUE(Actions().run(4));
    EXPECT_EQ(Calls(), QStringList({"TerminateSession \"c7\""}));
}

TEST_F(LogindMock, LogOffFindsTheSessionOfTheProcessWithoutTheEnvironment)
{
    const QString path = AddSession("c3");
    Method("GetSessionByPID", "u", "o", QStringLiteral("ret = '%1'").arg(path));
    MarkLog();
    EXPECT_TRUE(Actions().run(4));
    EXPECT_EQ(Calls(), QStringList({QStringLiteral("GetSessionByPID %1").arg(::getpid()),
                                    "TerminateSession \"c3\""}));
}

TEST_F(LogindMock, LogOffFallsBackToTheUsersDisplaySession)
{
    // Started from a user service, the process belongs to no session.
    Refuse("GetSessionByPID", "u");
    // The template's own GetUser cannot add a number to a path.
    Method("GetUser", "u", "o", "ret = '/org/freedesktop/login1/user/%d' % args[0]");
    const QString path = AddSession("c5");
    QDBusArgument display;
    display.beginStructure();
    display << QStringLiteral("c5") << QDBusObjectPath(path);
    display.endStructure();
    ASSERT_TRUE(Call(QStringLiteral("/org/freedesktop/login1/user/%1").arg(::getuid()),
                     "org.freedesktop.DBus.Properties", "Set",
                     {"org.freedesktop.login1.User", "Display",
                      QVariant::fromValue(QDBusVariant(QVariant::fromValue(display)))}));
    MarkLog();
    EXPECT_TRUE(Actions().run(4));
    const QStringList calls = Calls();
    ASSERT_EQ(calls.size(), 4) << calls.join(" | ").toStdString();
    EXPECT_TRUE(calls[1].startsWith("GetSessionByPID raised"));
    EXPECT_EQ(calls.mid(2), QStringList({QStringLiteral("GetUser %1").arg(::getuid()),
                                         "TerminateSession \"c5\""}));
}

TEST_F(LogindMock, LogOffFailsWhenNoSessionIsFoundOrTheEndIsRefused)
{
    Refuse("GetSessionByPID", "u");
    Refuse("GetUser", "u");
    EXPECT_FALSE(Actions().run(4));
    EXPECT_FALSE(Calls().join('\n').contains("TerminateSession"));

    qputenv("XDG_SESSION_ID", "c9");
    Refuse("TerminateSession", "s");
    EXPECT_FALSE(Actions().run(4));
    EXPECT_TRUE(Calls().contains("TerminateSession \"c9\""));
}

TEST_F(LogindMock, ScreenOffSucceedsWithoutAnyLogindCallAndModesAboveFiveFail)
{
    EXPECT_TRUE(Actions().run(5));
    EXPECT_FALSE(Actions().run(6));
    EXPECT_FALSE(Actions().run(1000));
    EXPECT_TRUE(Calls().isEmpty());
}

// A display of our own: forcing DPMS off on a shared one would disturb other tests. Xvfb
// offers no DPMS, so this holds the binding to its contract there: the request must not
// raise an X error that ends the program, and screen off still succeeds.
TEST_F(LogindMock, ScreenOffOnAServerWithoutDpmsSucceedsAndTheProgramGoesOn)
{
    if (QStandardPaths::findExecutable("Xvfb").isEmpty())
        GTEST_SKIP() << "Xvfb is not installed";
    QProcess xvfb;
    // -noreset: the server must not be mid-reset when the test connects after the binding left.
    xvfb.start("Xvfb",
               {"-displayfd", "1", "-noreset", "-screen", "0", "640x480x24", "-nolisten", "tcp"});
    ASSERT_TRUE(xvfb.waitForReadyRead(10000));
    const QString display = ":" + QString::fromUtf8(xvfb.readLine()).trimmed();
    const QByteArray saved = qgetenv("DISPLAY");
    qputenv("DISPLAY", display.toUtf8());

    const bool done = Actions().run(5);
    Display* x = XOpenDisplay(display.toUtf8().constData());
    const bool stillServed = x != nullptr;
    if (x)
        XCloseDisplay(x);

    qputenv("DISPLAY", saved);
    xvfb.terminate();
    xvfb.waitForFinished(5000);
    EXPECT_TRUE(done);
    EXPECT_TRUE(stillServed);
    EXPECT_TRUE(Calls().isEmpty());
}

TEST(LogindUnreachable, EveryModeFailsWithoutABusOrOnABusWithoutLogind)
{
    PrivateBus empty;
    ASSERT_TRUE(empty.Start());
    for (const QString& address :
         {QStringLiteral("unix:path=/nonexistent/quorlin-bus"), empty.address}) {
        platform::LogindPowerActions actions(address);
        for (unsigned mode = 0; mode <= 5; ++mode)
            EXPECT_FALSE(actions.run(mode)) << address.toStdString() << ", mode " << mode;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (!HaveDbusMock())
        return 77;
    return TestResult(RUN_ALL_TESTS());
}
