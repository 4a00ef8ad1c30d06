#include "support/PrivateBus.h"
#include "support/WaitFor.h"

#include "platform/linux/MutterIdleMonitor.h"
#include "platform/linux/WaylandIdle.h"
#include "platform/linux/WaylandSessionIdle.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QSaveFile>
#include <QTemporaryDir>

namespace {

// GNOME's idle monitor stood in for by python3-dbusmock: its idle time is read from a file
// the test writes.
class GnomeShell {
public:
    QString Start(const QString& address)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SESSION_BUS_ADDRESS", address);
        mock_.setProcessEnvironment(env);
        mock_.start("/usr/bin/python3",
                    {"-m", "dbusmock", "--session", "org.gnome.Mutter.IdleMonitor",
                     "/org/gnome/Mutter/IdleMonitor/Core", "org.gnome.Mutter.IdleMonitor"});
        if (!mock_.waitForStarted(10000))
            return "python3-dbusmock did not start";
        QDBusConnection bus = QDBusConnection::connectToBus(address, "gnome-control " + address);
        QDeadlineTimer deadline(10000);
        while (!bus.interface()->isServiceRegistered("org.gnome.Mutter.IdleMonitor").value()) {
            if (deadline.hasExpired() || mock_.state() != QProcess::Running)
                return "the idle monitor mock did not appear (is python3-dbusmock installed?)";
            QThread::msleep(20);
        }
        SetIdle(0);
        QDBusMessage add = QDBusMessage::createMethodCall("org.gnome.Mutter.IdleMonitor",
                                                          "/org/gnome/Mutter/IdleMonitor/Core",
                                                          "org.freedesktop.DBus.Mock", "AddMethod");
        add << "org.gnome.Mutter.IdleMonitor"
            << "GetIdletime"
            << ""
            << "t" << QString("ret = int(open('%1').read())").arg(file_);
        if (bus.call(add).type() != QDBusMessage::ReplyMessage)
            return "the mock refused its method";
        return {};
    }
    // Replaced whole: the mock must never read a half-written file.
    void SetIdle(quint64 ms)
    {
        QSaveFile out(file_);
        if (out.open(QIODevice::WriteOnly)) {
            out.write(QByteArray::number(ms));
            out.commit();
        }
    }
    void Stop()
    {
        mock_.kill();
        mock_.waitForFinished(5000);
    }
    ~GnomeShell() { Stop(); }

private:
    QTemporaryDir dir_;
    QString file_ = dir_.filePath("idletime");
    QProcess mock_;
};

TEST(MutterIdleMonitor, AFreshIdleTimeIsInputAGrowingOneIsNotAndAVanishedShellStops)
{
    PrivateBus bus;
    if (!bus.Start())
        GTEST_SKIP() << "dbus-daemon did not start";
    QDBusConnection connection =
        QDBusConnection::connectToBus(bus.address, "mutter-idle " + bus.address);
    {
        platform::MutterIdleMonitor absent(connection);
        EXPECT_FALSE(absent.start([] {})) << "no GNOME on the bus";
    }
    GnomeShell shell;
    if (const QString why = shell.Start(bus.address); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    shell.SetIdle(50000);
    int heard = 0;
    platform::MutterIdleMonitor monitor(connection);
    ASSERT_TRUE(monitor.start([&] { ++heard; }));
    shell.SetIdle(52000);
    WaitFor([] { return false; }, 2300);
    EXPECT_EQ(heard, 0) << "a growing idle time is no input";

    shell.SetIdle(300);
    EXPECT_TRUE(WaitFor([&] { return heard > 0; }, 5000));

    shell.Stop();
    EXPECT_TRUE(WaitFor([&] { return !monitor.listening(); }, 5000)) << "a vanished shell";
}

TEST(MutterIdleMonitor, InputIsAnIdleTimeShorterThanTheLastOrThanAPeriodAndAHalf)
{
    using platform::MutterIdleMonitor;
    EXPECT_TRUE(MutterIdleMonitor::IsActivity(80000, 1900)); // input between two readings
    EXPECT_TRUE(MutterIdleMonitor::IsActivity(400, 1200));   // typing on
    EXPECT_FALSE(MutterIdleMonitor::IsActivity(50000, 51000));
    EXPECT_FALSE(MutterIdleMonitor::IsActivity(1400, 2400));
}

TEST(MutterIdleMonitor, GnomesMonitorIsPreferredToTheCompositor)
{
    PrivateBus bus;
    if (!bus.Start())
        GTEST_SKIP() << "dbus-daemon did not start";
    GnomeShell shell;
    if (const QString why = shell.Start(bus.address); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    auto gnome = std::make_unique<platform::MutterIdleMonitor>(
        QDBusConnection::connectToBus(bus.address, "mutter-preferred " + bus.address));
    const platform::IdleInput* expected = gnome.get();
    platform::WaylandSessionIdle session(std::move(gnome),
                                         std::make_unique<platform::WaylandIdle>());
    ASSERT_TRUE(session.start([] {}));
    EXPECT_EQ(session.current(), expected);
    session.stop();
    EXPECT_EQ(session.current(), nullptr);
}

} // namespace
