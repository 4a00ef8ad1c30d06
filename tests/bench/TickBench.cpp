// Cost of one scheduler tick.
#include "support/TestEnvironment.h"

#include "app/Main.h"
#include "platform/linux/LinuxLocalClock.h"

#include <benchmark/benchmark.h>

namespace {

void NothingArmed(benchmark::State& state)
{
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    for (auto _ : state)
        form.CountDownTimer();
}
BENCHMARK(NothingArmed);

// The same with the real wall clock, read once by the tick and again by each check.
void NothingArmedRealClock(benchmark::State& state)
{
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    env.platform.clock = std::make_unique<platform::LinuxLocalClock>();
    for (auto _ : state)
        form.CountDownTimer();
}
BENCHMARK(NothingArmedRealClock);

} // namespace
