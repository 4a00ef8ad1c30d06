#include "app/Main.h"
#include "support/PrivateBus.h"
#include "support/TestEnvironment.h"
#include "support/WaitFor.h"
#include "ui/QtUiServices.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QRegularExpression>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kTitle = QStringLiteral("Varnel 提醒您");

//! A python3-dbusmock service on the test's own session bus, its calls in a log file.
class MockProcess {
public:
    QProcess process;
    QString log;

    QString Start(const QString& address, const QStringList& arguments, const QString& service,
                  QDBusConnection& bus)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("/usr/bin/python3"),
                      QStringList{"-m", "dbusmock", "--session", "-l", log} + arguments);
        if (!process.waitForStarted(10000))
            return QStringLiteral("python3-dbusmock did not start");
        if (!WaitFor([&] { return bus.interface()->isServiceRegistered(service).value(); }))
            return service + QStringLiteral(" did not appear on the bus");
        return {};
    }
    QStringList Calls(const QString& method) const
    {
        QFile file(log);
        QStringList out;
        if (!file.open(QIODevice::ReadOnly))
            return out;
        // One call a line, led by its time; a text may hold line breaks of its own.
        static const QRegularExpression nextCall(QStringLiteral("\n(?=\\d+\\.\\d+ )"));
        for (const QString& line : QString::fromUtf8(file.readAll()).trimmed().split(nextCall))
            if (line.section(u' ', 1, 1) == method)
                out << line.section(u' ', 2);
        return out;
    }
    ~MockProcess()
    {
        process.kill();
        process.waitForFinished(5000);
    }
};

class Notices : public ::testing::Test {
protected:
    PrivateBus bus;
    QTemporaryDir dir;
    std::optional<QDBusConnection> connection;
    MockProcess daemon;
    QProcess trayHost;
    std::unique_ptr<QSystemTrayIcon> tray;
    QtUiServices ui;

    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs an X server (QT_QPA_PLATFORM=xcb)";
        ASSERT_TRUE(bus.Start()) << "dbus-daemon did not start";
        connection = QDBusConnection::connectToBus(bus.address, QStringLiteral("notices-test"));
        ASSERT_TRUE(connection->isConnected());
        daemon.log = dir.filePath(QStringLiteral("notify.log"));
        const QString failed =
            daemon.Start(bus.address, {"--template", "notification_daemon"},
                         QStringLiteral("org.freedesktop.Notifications"), *connection);
        ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    }
    void TearDown() override
    {
        tray.reset();
        if (trayHost.state() != QProcess::NotRunning) {
            trayHost.kill();
            trayHost.waitForFinished(5000);
            WaitFor([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }, 5000);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("notices-test"));
    }

    //! The notices over the test's bus, once they know the service and the tray.
    DesktopNotices& UseNotices(bool expectStatusNotifier = false)
    {
        auto notices = std::make_unique<DesktopNotices>(*connection);
        DesktopNotices& n = *notices;
        ui.SetNotices(std::move(notices));
        EXPECT_TRUE(WaitFor([&] { return n.ServiceTakesMarkup(); }, 5000));
        if (expectStatusNotifier) {
            EXPECT_TRUE(WaitFor([&] { return n.StatusNotifierTray(); }, 5000));
        }
        return n;
    }
    void ShowTrayIcon()
    {
        QPixmap icon(16, 16);
        icon.fill(Qt::darkGreen);
        tray = std::make_unique<QSystemTrayIcon>(QIcon(icon));
        tray->show();
        ui.SetTrayIcon(tray.get());
    }
    //! A window manager with an X11 tray on the test's display.
    void StartX11Tray()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        trayHost.setProcessEnvironment(env);
        trayHost.start(QStringLiteral("icewm"), {});
        if (!trayHost.waitForStarted(5000)) {
            GTEST_SKIP() << "icewm is not installed";
        }
        ASSERT_TRUE(WaitFor([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 15000))
            << "icewm brought no tray";
    }
    static QWidget* ShownBalloon()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && QLatin1String(w->metaObject()->className()) == "QBalloonTip")
                return w;
        return nullptr;
    }
};

TEST_F(Notices, WithoutATrayTheyGoToTheNotificationServiceAsPlainText)
{
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    DesktopNotices& notices = UseNotices();
    ShowTrayIcon(); // shown, but nothing on the screen holds it
    ui.ShowBalloon(kTitle, QStringLiteral("明天您有重要的事情:\n<会议> & 报告"), 5000);
    ASSERT_TRUE(WaitFor([&] { return notices.Pending() == 0; }, 5000));
    const QStringList calls = daemon.Calls(QStringLiteral("Notify"));
    ASSERT_EQ(calls.size(), 1);
    // The service reads markup: the note's own "<" and "&" are escaped, the line break kept.
    EXPECT_TRUE(
        calls[0].startsWith(QStringLiteral("\"Quorlin\" 0 \"quorlin\" \"Varnel 提醒您\" "
                                           "\"明天您有重要的事情:\n&lt;会议&gt; &amp; 报告\" [] ")))
        << calls[0].toStdString();
    EXPECT_TRUE(calls[0].endsWith(QStringLiteral(" 5000"))) << calls[0].toStdString();
    EXPECT_EQ(ShownBalloon(), nullptr);
}

TEST_F(Notices, OnAnX11TrayTheBalloonStaysOnTheIcon)
{
    StartX11Tray();
    if (IsSkipped())
        return;
    DesktopNotices& notices = UseNotices();
    ShowTrayIcon();
    ASSERT_TRUE(notices.TrayShowsBalloons());
    ui.ShowBalloon(kTitle, QStringLiteral("您已经连续使用电脑两个小时了"), 5000);
    EXPECT_TRUE(WaitFor([] { return ShownBalloon() != nullptr; }, 3000));
    QTest::qWait(300);
    EXPECT_TRUE(daemon.Calls(QStringLiteral("Notify")).isEmpty());
}

TEST_F(Notices, AStatusNotifierTrayHasNoBalloonsSoTheServiceShowsThem)
{
    StartX11Tray(); // an X11 tray as well, as Plasma on X11 keeps one beside it
    if (IsSkipped())
        return;
    MockProcess watcher;
    watcher.log = dir.filePath(QStringLiteral("watcher.log"));
    const QString failed =
        watcher.Start(bus.address,
                      {"org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                       "org.kde.StatusNotifierWatcher"},
                      QStringLiteral("org.kde.StatusNotifierWatcher"), *connection);
    ASSERT_TRUE(failed.isEmpty()) << failed.toStdString();
    QDBusMessage add =
        QDBusMessage::createMethodCall("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                                       "org.freedesktop.DBus.Mock", "AddProperty");
    add << "org.kde.StatusNotifierWatcher"
        << "IsStatusNotifierHostRegistered" << QVariant::fromValue(QDBusVariant(true));
    ASSERT_NE(connection->call(add).type(), QDBusMessage::ErrorMessage);

    DesktopNotices& notices = UseNotices(true);
    ShowTrayIcon();
    EXPECT_FALSE(notices.TrayShowsBalloons());
    ui.ShowBalloon(kTitle, QStringLiteral("校准中国时间失败"), 5000);
    ASSERT_TRUE(WaitFor([&] { return notices.Pending() == 0; }, 5000));
    EXPECT_EQ(daemon.Calls(QStringLiteral("Notify")).size(), 1);
    EXPECT_EQ(ShownBalloon(), nullptr);
}

TEST_F(Notices, AHiddenStartWithoutATrayStaysMinimisedOnTheTaskbar)
{
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    form.StartHidden = true;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    env.Tick();
    // Hidden, it could never come back: there is no icon to click.
    EXPECT_TRUE(WaitFor([&] { return form.isMinimized(); }, 3000));
    EXPECT_TRUE(form.isVisible());
    env.StopForm();
}

} // namespace
