#include "scheduler/WallClockWake.h"

#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <QDateTime>

// The wake-up comes once, not before its time, and a later Start replaces the earlier one;
// a stopped one stays quiet.
TEST(WallClockWake, WakesOnceAtItsTimeAndARestartOrStopReplacesIt)
{
    WallClockWake wake;
    std::vector<qint64> woken;
    QObject::connect(&wake, &WallClockWake::Woken,
                     [&] { woken.push_back(QDateTime::currentMSecsSinceEpoch()); });
    const qint64 start = QDateTime::currentMSecsSinceEpoch();
    wake.Start(5000);
    wake.Start(60);
    EXPECT_TRUE(wake.IsActive());
    ASSERT_TRUE(WaitFor([&] { return !woken.empty(); }, 3000));
    EXPECT_GE(woken[0] - start, 59);
    EXPECT_FALSE(wake.IsActive());
    wake.Start(30);
    wake.Stop();
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(woken.size(), 1u);
#ifdef Q_OS_LINUX
    EXPECT_TRUE(wake.FollowsTheWallClock());
#endif
}
