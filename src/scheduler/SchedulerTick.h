#pragma once

#include "ui/UiServices.h"

#include <array>
#include <functional>

//! The checks of the one-second tick, in the order they run.
enum class TickCheck {
    CheckFixedTime,
    CheckDestineWeek,
    CheckConfineWeek,
    CheckSystemRun,
    CheckEconomizePower,
    CheckNetState,
    CheckAlarmClocks,
    CheckMemoranda,
    CheckDisbleProcessList,
    GuardSafeMode,
    CheckSystemClear,
    CheckHalfHourChime,
    CalibrateClock,
    CheckRestReminders,
    RefreshRadioState,
    CheckRadioTimings,
    CountDownPowerWarning,
    Count
};

//! Runs every feature's check once a second. The first six are the power rules: a false
//! result shows that rule's failure message before the next check runs; this is the only
//! place their failures are shown. An error escaping any step ends that tick there and is
//! shown in the error box.
class SchedulerTick {
public:
    using Check = std::function<bool()>;

    static constexpr int kPowerRules = 6;

    explicit SchedulerTick(UiServices& ui) : ui_(ui) {}

    //! A power rule's check: false means its power action failed.
    void SetPowerRule(TickCheck which, Check check);
    //! Any other check; its outcome is not used.
    void SetCheck(TickCheck which, std::function<void()> check);
    //! Runs first on every tick (the clock fields) and last (the hidden start).
    void SetBeforeChecks(std::function<void()> step) { before_ = std::move(step); }
    void SetAfterChecks(std::function<void()> step) { after_ = std::move(step); }

    void Run();

    //! The failure message of a power rule's check (one of the first six).
    static QString FailureMessage(TickCheck rule);

private:
    void ReportFailure(int rule);

    UiServices& ui_;
    std::array<Check, static_cast<int>(TickCheck::Count)> checks_{};
    // A rule whose action keeps failing while its box is open would stack a new box every
    // second (ticks run on inside the box): one box per rule at a time.
    std::array<bool, kPowerRules> failureShown_{};
    std::function<void()> before_;
    std::function<void()> after_;
};
