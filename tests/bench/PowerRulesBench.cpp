// Cost of the power rules' checks on a tick where they have nothing to do.
#include "support/TestEnvironment.h"

#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/SystemRunShutdown.h"

#include <benchmark/benchmark.h>

#include <QCheckBox>
#include <QComboBox>
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

// The restricted-period, run-time, idle and network-state checks.
void DurationRulesArmedNotDue(benchmark::State& state)
{
    TestEnvironment env;
    FeatureView& form = env.Start<Pages::PowerRules>();
    // A period on another weekday than the fake clock's Wednesday.
    form.ConfineWeekTimes->ConfineWeekComboBox1->setCurrentIndex(6);
    form.ConfineWeekTimes->ConfineWeekComboBox2->setCurrentIndex(6);
    form.ConfineWeekTimes->ConfineWeekCheckBox->setChecked(true);
    form.SystemRunTimes->SystemRunCheckBox->setChecked(true);
    form.EconomizePowers->EconomizePowerMaskEdit->setText("99");
    form.EconomizePowers->EconomizePowerComboBox->setCurrentIndex(2);
    form.EconomizePowers->EconomizePowerCheckBox->setChecked(true);
    form.NetStates->NetStateCheckBox->setChecked(true);
    for (auto _ : state) {
        benchmark::DoNotOptimize(form.ConfineWeekTimes->CheckConfineWeek());
        benchmark::DoNotOptimize(form.SystemRunTimes->CheckSystemRun());
        benchmark::DoNotOptimize(form.EconomizePowers->CheckEconomizePower());
        benchmark::DoNotOptimize(form.NetStates->CheckNetState());
    }
}
BENCHMARK(DurationRulesArmedNotDue);

} // namespace
