#include "support/PrivateBus.h"

#include "platform/linux/MutterIdleMonitor.h"
#include "platform/linux/WaylandIdle.h"
#include "platform/linux/WaylandSessionIdle.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace {

void Settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

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
    void SetIdle(quint64 ms)
    {
        QFile out(file_);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            out.write(QByteArray::number(ms));
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

TEST(MutterIdleMonitor, FreshIdleTimesAreInputAGrowingOneIsNotAndAVanishedShellStops)
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
    Settle(2300);
    EXPECT_EQ(heard, 0) << "a growing idle time is no input";

    shell.SetIdle(300);
    Settle(1300);
    EXPECT_GE(heard, 1);
    // Input after the last reading but longer ago than a reading period.
    shell.SetIdle(80000);
    Settle(1300);
    heard = 0;
    shell.SetIdle(1900);
    Settle(1300);
    EXPECT_GE(heard, 1) << "an idle time shorter than the last is input";

    shell.Stop();
    Settle(2300);
    EXPECT_FALSE(monitor.listening());
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
