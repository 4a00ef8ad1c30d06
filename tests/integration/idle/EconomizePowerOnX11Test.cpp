#include "support/TestEnvironment.h"
#include "support/WaitFor.h"

#include "platform/linux/XInputIdle.h"
#include "power/EconomizePowerShutdown.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>

namespace {

void Xdotool(const QStringList& args)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0);
}

// The idle rule over the real X11 signal: what the user does on the display decides
// whether the machine is left alone.
TEST(EconomizePowerOnX11, MovementAndKeysRestartTheCountClicksDoNot)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display (run-on-xvfb.sh)";
    TestEnvironment env;
    env.platform.idleInput = std::make_unique<platform::XInputIdle>();
    env.idleInput = nullptr;
    EconomizePowerShutdown& rule = env.Start<EconomizePowerShutdown>();
    rule.EconomizePowerMaskEdit->setText("01");
    rule.EconomizePowerShutDownComboBox->setCurrentIndex(5);
    rule.EconomizePowerCheckBox->setChecked(true);

    auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i)
            env.Tick();
    };
    ticks(30);
    ASSERT_TRUE(env.platform.idleInput->listening());
    Xdotool({"click", "1"});
    Xdotool({"click", "4"});
    WaitFor([] { return false; }, 400);
    EXPECT_EQ(rule.IdleCounter, 30);

    Xdotool({"mousemove_relative", "7", "7"});
    WaitFor([] { return false; }, 400);
    EXPECT_EQ(rule.IdleCounter, 0);
    ticks(45);
    Xdotool({"key", "space"});
    WaitFor([] { return false; }, 400);
    EXPECT_EQ(rule.IdleCounter, 0);

    ticks(59);
    EXPECT_TRUE(env.power->requests.empty());
    env.Tick();
    EXPECT_EQ(env.power->requests, std::vector<unsigned>{5});
    env.Stop();
    EXPECT_FALSE(env.platform.idleInput->listening());
}

} // namespace
