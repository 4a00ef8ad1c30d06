// Cost of one scheduler tick. Run: build/default/tests/bench/TickBench
#include "support/TestEnvironment.h"

#include "app/Main.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

void NothingArmed(benchmark::State& state)
{
    TestEnvironment env;
    TMainForm& form = env.StartForm();
    for (auto _ : state)
        form.CountDownTimer();
}
BENCHMARK(NothingArmed);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
