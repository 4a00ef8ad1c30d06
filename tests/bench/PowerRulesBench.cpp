// Cost of the fixed-time and weekday checks on a tick where they have nothing to do.
#include "support/TestEnvironment.h"

#include "power/DestineWeekShutdown.h"
#include "power/FixedTimeShutdown.h"

#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QLineEdit>

namespace {

void FixedAndWeekdayArmedNotDue(benchmark::State& state)
{
    TestEnvironment env;
    FeatureView& form = env.Start<Pages::PowerRules>();
    form.FixedTimes->FixedTimeMaskEdit->setText("12:00:00");
    form.FixedTimes->FixedTimeCheckBox->setChecked(true);
    form.DestineWeeks->DestineWeekTimeEdit->setText("12:00:00");
    form.DestineWeeks->DestineWeekCheckBox->setChecked(true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(form.FixedTimes->CheckFixedTime());
        benchmark::DoNotOptimize(form.DestineWeeks->CheckDestineWeek());
    }
}
BENCHMARK(FixedAndWeekdayArmedNotDue);

void FixedAndWeekdayDisarmed(benchmark::State& state)
{
    TestEnvironment env;
    FeatureView& form = env.Start<Pages::PowerRules>();
    for (auto _ : state) {
        benchmark::DoNotOptimize(form.FixedTimes->CheckFixedTime());
        benchmark::DoNotOptimize(form.DestineWeeks->CheckDestineWeek());
    }
}
BENCHMARK(FixedAndWeekdayDisarmed);

} // namespace
