#include "platform/linux/XInputIdle.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>

namespace {

bool HaveDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY");
}

void Xdotool(const QStringList& args)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0)
        << args.join(u' ').toStdString();
}

class XInputIdleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveDisplay())
            GTEST_SKIP() << "needs an X display (run-on-xvfb.sh)";
        ASSERT_TRUE(idle.start([this] { ++activity; }));
        ASSERT_TRUE(idle.listening());
        // Park the pointer mid-screen (a warp, which is no input) and let anything pending pass.
        Xdotool({"mousemove", "500", "400"});
        WaitFor([] { return false; }, 200);
        activity = 0;
    }

    platform::XInputIdle idle;
    int activity = 0;
};

TEST_F(XInputIdleTest, ClicksAndWheelTurnsAreNot)
{
    Xdotool({"click", "1"});
    Xdotool({"click", "3"});
    Xdotool({"click", "4"});
    Xdotool({"click", "5"});
    WaitFor([this] { return activity > 0; }, 700);
    EXPECT_EQ(activity, 0);
    // Still listening: a movement after the clicks is seen. (A relative move goes through
    // the server's input path as a mouse does; an absolute "mousemove" is a warp, no input.)
    Xdotool({"mousemove_relative", "20", "20"});
    EXPECT_TRUE(WaitFor([this] { return activity > 0; }, 2000));
}

TEST_F(XInputIdleTest, NothingIsReportedAfterStop)
{
    idle.stop();
    EXPECT_FALSE(idle.listening());
    Xdotool({"mousemove_relative", "10", "10"});
    Xdotool({"key", "b"});
    WaitFor([this] { return activity > 0; }, 500);
    EXPECT_EQ(activity, 0);
}

TEST(XInputIdle, WithoutADisplayItDoesNotListen)
{
    const QByteArray saved = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":9999");
    platform::XInputIdle idle;
    EXPECT_FALSE(idle.start([] {}));
    EXPECT_FALSE(idle.listening());
    qputenv("DISPLAY", saved);
}

} // namespace

// Run on its own: it ends the X server under the listener.
TEST(XInputIdleLost, AServerThatGoesAwayEndsListeningNotTheProgram)
{
    const int server = qEnvironmentVariableIntValue("QUORLIN_XVFB_PID");
    if (!HaveDisplay() || server <= 0)
        GTEST_SKIP() << "needs the private Xvfb of run-on-xvfb.sh";
    platform::XInputIdle idle;
    ASSERT_TRUE(idle.start([] {}));
    ASSERT_EQ(QProcess::execute(QStringLiteral("kill"), {QString::number(server)}), 0);
    EXPECT_TRUE(WaitFor([&] { return !idle.listening(); }, 5000));
    EXPECT_FALSE(idle.start([] {}));
}
