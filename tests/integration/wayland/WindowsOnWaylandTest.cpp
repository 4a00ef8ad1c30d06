#include "support/TestEnvironment.h"
#include "support/WaitFor.h"

#include "platform/Platform.h"
#include "platform/linux/DesktopScreenOff.h"
#include "platform/linux/LogindPowerActions.h"
#include "platform/linux/WaylandSessionDesktop.h"
#include "platform/linux/WlrScreenOff.h"
#include "programs/DisbleProcesses.h"
#include "programs/SafeModes.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>

namespace {

QString Compositor()
{
    return qEnvironmentVariable("QUORLIN_WL_COMPOSITOR");
}

// A native window titled `title`: foot on sway; our own small Qt window where foot cannot
// run (KWin's virtual outputs).
class NativeWindow {
public:
    explicit NativeWindow(const QString& title)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "wayland");
        env.insert("LC_ALL", "C.UTF-8");
        process_.setProcessEnvironment(env);
        if (Compositor() == "sway")
            process_.start("foot", {"--title", title, "sh", "-c", "sleep 600"});
        else
            process_.start(qEnvironmentVariable("QUORLIN_WL_TITLED"), {title});
    }
    ~NativeWindow()
    {
        process_.kill();
        process_.waitForFinished(2000);
    }
    bool Running() { return process_.state() != QProcess::NotRunning; }

private:
    QProcess process_;
};

class WindowsOnWayland : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (Compositor().isEmpty())
            GTEST_SKIP() << "needs a compositor (run-in-compositor.sh)";
        if (Compositor() != "sway" && qEnvironmentVariableIsEmpty("QUORLIN_WL_TITLED"))
            GTEST_SKIP() << "no native window program for " << Compositor().toStdString();
    }
};

// The binding a Wayland session picks finds native windows by title and asks them to
// close: a blocked program's window and the lock's guarded window go; others stay. On
// GNOME the shipped extension starts switched off, as a new install leaves it: the
// binding asks the shell to switch it on, and is seen to pick it up a little later.
TEST_F(WindowsOnWayland, ABlockedProgramAndAGuardedWindowAreClosedOthersStay)
{
    std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();
    ASSERT_NE(dynamic_cast<platform::WaylandSessionWindows*>(system->windows.get()), nullptr)
        << "a Wayland session must not look for windows through X11";
    NativeWindow notepad("无标题 - 记事本");
    NativeWindow monitor("系统监视器");
    NativeWindow other("无标题");
    platform::WindowsByTitle& windows = *system->windows;
    // Seen once is enough: a busy shell may let a later look time out.
    bool seen = false;
    ASSERT_TRUE(WaitFor(
        [&] {
            return seen = seen || (windows.exists(u"无标题 - 记事本") &&
                                   windows.exists(u"系统监视器") && windows.exists(u"无标题"));
        },
        20000))
        << "the native windows were not seen";
    EXPECT_TRUE(windows.available());

    TestEnvironment env;
    env.platform.windows = std::move(system->windows);
    env.windows = nullptr;
    env.WriteProgramFile("DisbleProcessList", "无标题 - 记事本 星期日 星期六 00:00:00 23:59:59\n");
    env.Start<DisbleProcesses, SafeModes>();
    SafeModes& lock = env.Feature<SafeModes>();
    lock.CheckPasswordMaskEdit->setText("pw");
    lock.PasswordMaskEdit->setText("pw");
    lock.EnableSafeCheckBox->setChecked(true);
    EXPECT_TRUE(env.ui.calls.empty()) << "this desktop can close windows: nothing to say";

    EXPECT_TRUE(WaitFor([&] {
        env.Tick();
        return !notepad.Running() && !monitor.Running();
    })) << "notepad "
        << notepad.Running() << ", monitor " << monitor.Running();
    WaitFor([] { return false; }, 500);
    EXPECT_TRUE(other.Running()) << "a window of another title was closed";
}

// Screen off through the compositor's own power protocol: every output is asked to go off,
// and the next key press brings them back, as a screen turned off by the system would.
TEST_F(WindowsOnWayland, WlrScreenOffAsksForTheOutputsOffAndTheNextKeyBringsThemBack)
{
    if (Compositor() != "sway")
        GTEST_SKIP() << "wlroots output power is a sway test";
    const QString sock = [] {
        const QDir run(qEnvironmentVariable("XDG_RUNTIME_DIR"));
        const QStringList found = run.entryList({"sway-ipc.*.sock"}, QDir::System);
        return found.isEmpty() ? QString() : run.filePath(found.first());
    }();
    ASSERT_FALSE(sock.isEmpty()) << "no sway IPC socket";
    // "true" or "false" for every output, as sway reports their power.
    const auto powered = [&] {
        QProcess swaymsg;
        swaymsg.start("swaymsg", {"-s", sock, "-r", "-t", "get_outputs"});
        swaymsg.waitForFinished(5000);
        QStringList out;
        for (const QJsonValue& o : QJsonDocument::fromJson(swaymsg.readAllStandardOutput()).array())
            out << (o.toObject().value("dpms").toBool() ? "true" : "false");
        return out.join(',');
    };
    // sway 1.7's headless outputs cannot be switched off: there the compositor's refusal in
    // its log shows that it was asked.
    const QString logPath =
        QDir(qEnvironmentVariable("QUORLIN_WL_WORK")).filePath("../compositor.log");
    const auto refusals = [&] {
        QFile log(logPath);
        return log.open(QIODevice::ReadOnly) ? log.readAll().count("Failed to commit output")
                                             : qsizetype(-1);
    };
    ASSERT_EQ(powered(), "true");
    const qsizetype refusedBefore = refusals();

    // The session's choice offers screen off here.
    platform::LogindPowerActions power(QStringLiteral("unix:path=/nonexistent/quorlin-bus"),
                                       std::make_unique<platform::WaylandSessionScreenOff>());
    EXPECT_TRUE(power.offers(5));

    platform::WlrScreenOff screen;
    ASSERT_TRUE(screen.available());
    ASSERT_TRUE(screen.turnOff());
    EXPECT_TRUE(WaitFor([&] { return powered() == "false" || refusals() > refusedBefore; }))
        << "the compositor was not asked to switch its output off";
    WaitFor([] { return false; }, 1500);
    EXPECT_TRUE(screen.off()) << "the outputs came back without input";

    ASSERT_EQ(QProcess::execute(qEnvironmentVariable("QUORLIN_WL_TYPE"), {"x"}), 0);
    EXPECT_TRUE(WaitFor([&] { return !screen.off(); }, 5000))
        << "a key did not bring the outputs back";
    EXPECT_EQ(powered(), "true");
}

// GNOME: Mutter's power-save mode goes to off, and back on at the next key press (Mutter
// leaves it off by itself).
TEST_F(WindowsOnWayland, MutterScreenOffGoesOffAndInputBringsItBack)
{
    if (Compositor() != "gnome")
        GTEST_SKIP() << "Mutter is GNOME's";
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto mode = [&] {
        QDBusMessage get = QDBusMessage::createMethodCall("org.gnome.Mutter.DisplayConfig",
                                                          "/org/gnome/Mutter/DisplayConfig",
                                                          "org.freedesktop.DBus.Properties", "Get");
        get.setArguments({"org.gnome.Mutter.DisplayConfig", "PowerSaveMode"});
        const QDBusMessage reply = bus.call(get);
        return reply.arguments().isEmpty()
                   ? -1
                   : reply.arguments().constFirst().value<QDBusVariant>().variant().toInt();
    };
    ASSERT_EQ(mode(), 0);

    platform::LogindPowerActions power(QStringLiteral("unix:path=/nonexistent/quorlin-bus"),
                                       std::make_unique<platform::WaylandSessionScreenOff>());
    EXPECT_TRUE(power.offers(5));
    platform::MutterScreenOff screen;
    ASSERT_TRUE(screen.available());
    ASSERT_TRUE(screen.turnOff());
    EXPECT_TRUE(WaitFor([&] { return mode() == 3; }, 5000)) << "mode " << mode();
    WaitFor([] { return false; }, 500);
    EXPECT_EQ(mode(), 3) << "the screen came back without input";

    ASSERT_EQ(QProcess::execute(qEnvironmentVariable("QUORLIN_WL_TYPE"), {"x"}), 0);
    EXPECT_TRUE(WaitFor([&] { return mode() == 0; }, 5000)) << "input did not bring it back";
}

} // namespace
