#include "support/FullWorld.h"
#include "support/TestEnvironment.h"

#include "app/Main.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

namespace {

long ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * sysconf(_SC_PAGESIZE) : -1;
}

// A day and a few hours of ticks, second by second, through the whole window with every
// feature armed and every list at 1,000 rows: notes ring, stations start, the lock and
// the blocked programs are enforced, the day rolls over. What grows is what leaks.
TEST(LongRun, AHundredThousandTicksKeepResidentMemoryFlat)
{
    if (ResidentBytes() < 0)
        GTEST_SKIP() << "no /proc/self/statm here";
    TestEnvironment env;
    FullWorld::WriteLists(env, 1000);
    TMainForm& form = env.StartForm();
    FullWorld::ArmEverything(form);
    long start = 0;
    for (int tick = 1; tick <= 100'000; ++tick) {
        env.Tick();
        if (tick % 1000 == 0) {
            // What the fakes record is the test's memory, not the program's.
            env.ui.Clear();
            env.radio.Clear();
            if (env.player)
                env.player->log.clear();
            QCoreApplication::processEvents();
        }
        if (tick == 1000)
            start = ResidentBytes();
    }
    const long grown = ResidentBytes() - start;
    EXPECT_LT(grown, 1024 * 1024) << "grew by " << grown << " bytes after the first 1,000 ticks";
}

} // namespace
