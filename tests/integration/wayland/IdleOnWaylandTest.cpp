#include "support/TestEnvironment.h"

#include "platform/Platform.h"
#include "platform/linux/MutterIdleMonitor.h"
#include "platform/linux/WaylandIdle.h"
#include "platform/linux/WaylandSessionIdle.h"
#include "platform/linux/XInputIdle.h"
#include "power/EconomizePowerShutdown.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QScopeGuard>

#include <csignal>

namespace {

bool OnCompositor()
{
    return !qEnvironmentVariableIsEmpty("QUORLIN_WL_COMPOSITOR");
}

void Settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Keys go to the seat, that is to the focused window: the native client the runner opened.
void Type(const QString& text)
{
    ASSERT_EQ(QProcess::execute(qEnvironmentVariable("QUORLIN_WL_TYPE"), {text}), 0);
}

// The idle rule in a real Wayland session, with the binding the session picks: the user
// types into a native window the program cannot see through X11.
TEST(IdleOnWayland, TypingKeepsTheRuleFromFiringAndSilenceFiresItAtItsMinute)
{
    if (!OnCompositor())
        GTEST_SKIP() << "needs a compositor (run-in-compositor.sh)";
    std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();
    ASSERT_NE(dynamic_cast<platform::WaylandSessionIdle*>(system->idleInput.get()), nullptr)
        << "a Wayland session must not use XInput2";
    TestEnvironment env;
    env.platform.idleInput = std::move(system->idleInput);
    env.idleInput = nullptr;
    EconomizePowerShutdown& rule = env.Start<EconomizePowerShutdown>();
    rule.EconomizePowerMaskEdit->setText("01");
    rule.EconomizePowerShutDownComboBox->setCurrentIndex(4);
    rule.EconomizePowerCheckBox->setChecked(true);
    ASSERT_TRUE(rule.EconomizePowerCheckBox->isChecked())
        << env.ui.Texts("message").join(' ').toStdString();
    env.Tick();
    ASSERT_TRUE(env.platform.idleInput->listening());

    // Steady typing never lets the seat go idle: the binding must say so every second.
    int most = 0;
    QElapsedTimer typing;
    typing.start();
    for (int i = 0; typing.elapsed() < 5000; ++i) {
        Type(QString(QChar(u'a' + i % 26)));
        env.Tick();
        most = std::max(most, rule.IdleCounter);
        Settle(500);
    }
    EXPECT_LE(most, 3);
    EXPECT_TRUE(env.power->requests.empty());
    Type("\n");
    QFile typed(qEnvironmentVariable("QUORLIN_WL_TYPED"));
    if (typed.open(QIODevice::ReadOnly)) {
        Settle(300);
        EXPECT_TRUE(typed.readAll().contains("bcdef"))
            << "the keys did not reach the native window";
    }

    // Left alone: counted from the moment the compositor reports the seat idle.
    Settle(1600);
    for (int i = 0; i < 30; ++i)
        env.Tick();
    EXPECT_EQ(rule.IdleCounter, 30);
    Type("z");
    Settle(400);
    EXPECT_EQ(rule.IdleCounter, 0) << "a key after an idle spell was not heard";
    Settle(1600);
    for (int i = 0; i < 59; ++i)
        env.Tick();
    EXPECT_TRUE(env.power->requests.empty());
    env.Tick();
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{4});
    env.Stop();
    EXPECT_FALSE(env.platform.idleInput->listening());
}

TEST(IdleOnWayland, TheDesktopsOwnSourceIsUsed)
{
    if (!OnCompositor())
        GTEST_SKIP() << "needs a compositor (run-in-compositor.sh)";
    platform::WaylandSessionIdle session;
    ASSERT_TRUE(session.start([] {}));
    const QString desktop = qEnvironmentVariable("QUORLIN_WL_COMPOSITOR");
    if (desktop == "gnome") {
        EXPECT_NE(dynamic_cast<const platform::MutterIdleMonitor*>(session.current()), nullptr);
        return;
    }
    const auto* wayland = dynamic_cast<const platform::WaylandIdle*>(session.current());
    ASSERT_NE(wayland, nullptr);
    // sway 1.7 knows only the older protocol; KWin offers both and the newer is taken.
    EXPECT_EQ(wayland->protocol(), desktop == "sway"
                                       ? platform::WaylandIdle::Protocol::KdeIdle
                                       : platform::WaylandIdle::Protocol::ExtIdleNotify);
}

// Ends its compositor: run alone (see CMakeLists.txt).
TEST(WaylandCompositorLost, ListeningEndsQuietlyAndTheRuleStopsCounting)
{
    const qint64 compositor = qEnvironmentVariable("QUORLIN_WL_COMPOSITOR_PID").toLongLong();
    if (!OnCompositor() || compositor <= 0)
        GTEST_SKIP() << "needs a compositor (run-in-compositor.sh)";
    platform::WaylandIdle idle;
    ASSERT_TRUE(idle.start([] {}));
    ASSERT_EQ(::kill(pid_t(compositor), SIGKILL), 0);
    QElapsedTimer waited;
    waited.start();
    while (idle.listening() && waited.elapsed() < 5000)
        Settle(50);
    EXPECT_FALSE(idle.listening());
    // Later starts fail at once instead of hanging on the dead socket.
    QElapsedTimer again;
    again.start();
    EXPECT_FALSE(idle.start([] {}));
    EXPECT_LT(again.elapsed(), 1000);
}

// A session that names a compositor that is not there, and has no GNOME on its bus.
TEST(IdleOnWayland, ASessionWithoutAnIdleSourceRefusesTheRule)
{
    const QByteArray display = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", "quorlin-no-such-compositor");
    const auto restore = qScopeGuard([&] { qputenv("WAYLAND_DISPLAY", display); });
    auto session = std::make_unique<platform::WaylandSessionIdle>(
        std::make_unique<platform::MutterIdleMonitor>(
            QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "no bus")),
        std::make_unique<platform::WaylandIdle>());
    TestEnvironment env;
    env.platform.idleInput = std::move(session);
    env.idleInput = nullptr;
    EconomizePowerShutdown& rule = env.Start<EconomizePowerShutdown>();
    rule.EconomizePowerMaskEdit->setText("01");
    rule.EconomizePowerCheckBox->setChecked(true);
    EXPECT_FALSE(rule.EconomizePowerCheckBox->isChecked());
    EXPECT_EQ(env.ui.Texts("message"), QStringList{EconomizePowerShutdown::NoIdleSourceText()});
}

} // namespace
