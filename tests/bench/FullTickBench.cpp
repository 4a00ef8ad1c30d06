// Cost of one full tick: every feature armed, every list at 1,000 rows, nothing due.
// Each iteration is a new second, so no check can skip work for having run in the same one.
#include "support/FullWorld.h"
#include "support/TestEnvironment.h"

#include "app/Main.h"

#include <benchmark/benchmark.h>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_TOGGLE_COLLECT
#endif

#include <vector>

namespace {

constexpr int kRows = 1000;

void FullWorldNothingDue(benchmark::State& state)
{
    TestEnvironment env;
    const QDateTime start = env.clock->Current();
    FullWorld::WriteLists(env, kRows);
    TMainForm& form = env.StartForm();
    FullWorld::ArmEverything(form);
    // Settle what comes due once after arming (the junk warning, a first cleaning look).
    for (int s = 0; s < 20; ++s) {
        env.clock->Set(start.addSecs(-20 + s));
        form.CountDownTimer();
    }
    // 10:00:01 to 10:29:59 over and over: a new second every tick, none of them due. Taken
    // beforehand, so that the clock's own arithmetic stays out of the figures.
    std::vector<QDateTime> seconds;
    for (int s = 1; s < 1800; ++s)
        seconds.push_back(start.addSecs(s));
    std::size_t n = 0;
    for (auto _ : state) {
        env.clock->Set(seconds[n++ % seconds.size()]);
        // Under callgrind (scripts/tick-cost.sh) only the ticks themselves are counted.
        CALLGRIND_TOGGLE_COLLECT;
        form.CountDownTimer();
        CALLGRIND_TOGGLE_COLLECT;
    }
    state.counters["rows"] = kRows;
}
BENCHMARK(FullWorldNothingDue);
// A fixed number of ticks for scripts/tick-cost.sh, which divides callgrind's count by it.
BENCHMARK(FullWorldNothingDue)->Name("FullWorldNothingDue/ticks:1000")->Iterations(1000);

} // namespace
