#include "core/PowerRequests.h"

#include "power/ShutDownComputer.h"
#include "scheduler/TimeText.h"

#include <algorithm>
#include <utility>

namespace {

constexpr int kModeCount = 6;

int IndexOf(PowerRule rule)
{
    return static_cast<int>(rule);
}

} // namespace

std::optional<PowerMode> PowerModeAt(int index)
{
    if (index < 0 || index >= kModeCount)
        return std::nullopt;
    return static_cast<PowerMode>(index);
}

QString PowerModeName(PowerMode mode)
{
    static const char16_t* const names[kModeCount] = {u"关机", u"重启", u"待机",
                                                      u"休眠", u"注销", u"关闭屏幕"};
    return QString::fromUtf16(names[static_cast<int>(mode)]);
}

QString PowerRuleName(PowerRule rule)
{
    static const char16_t* const names[kPowerRuleCount] = {
        u"固定时间", u"指定星期", u"限制模式", u"系统运行", u"智能省电模式", u"智能网络模式"};
    return QString::fromUtf16(names[IndexOf(rule)]);
}

QString PowerRequests::FeatureName()
{
    return QStringLiteral("定时关机");
}

PowerRequests::Hook::Hook(PowerRequests& requests, Warning& warning) : requests_(requests)
{
    Q_ASSERT(!requests_.warning_);
    requests_.warning_ = &warning;
}

PowerRequests::Hook::~Hook()
{
    requests_.warning_ = nullptr;
}

PowerRequests::PowerRequests(ShutDownComputer& actions, const platform::LocalClock* clock,
                             Record record)
    : actions_(actions), clock_(clock), record_(std::move(record))
{
}

void PowerRequests::Note(PowerRule rule, std::optional<PowerMode> mode, const QString& result) const
{
    if (!record_)
        return;
    record_(FeatureName(),
            PowerRuleName(rule) + QStringLiteral(" 请求") +
                (mode ? PowerModeName(*mode) : QStringLiteral("未知操作")),
            result);
}

PowerAnswer PowerRequests::Ask(PowerRule rule, std::optional<PowerMode> mode,
                               std::function<void()> skipped)
{
    if (Holding(rule))
        return PowerAnswer::Held;
    // A request for no action at all fails at once: there is nothing to count down to.
    if (mode && warning_) {
        PowerRequest request{rule, *mode, std::move(skipped)};
        if (warning_->Hold(request))
            return PowerAnswer::Held;
    }
    return RunNow(rule, mode) ? PowerAnswer::Done : PowerAnswer::Failed;
}

void PowerRequests::Drop(PowerRule rule, const QString& why)
{
    if (warning_)
        warning_->Drop(rule, why);
}

void PowerRequests::ActHeld(const PowerRequest& request)
{
    if (!RunNow(request.rule, request.mode))
        heldFailed_[IndexOf(request.rule)] = true;
}

bool PowerRequests::TakeHeldFailure(PowerRule rule)
{
    return std::exchange(heldFailed_[IndexOf(rule)], false);
}

bool PowerRequests::HeldFailurePending() const
{
    return std::find(heldFailed_.begin(), heldFailed_.end(), true) != heldFailed_.end();
}

bool PowerRequests::RunNow(PowerRule rule, std::optional<PowerMode> mode)
{
    const bool done = mode && actions_.RunPowerMode(*mode);
    if (clock_) {
        Last& last = last_[IndexOf(rule)];
        const qint64 second = SecondOf(ReadClock(*clock_));
        const bool repeat = second - last.second >= 0 && second - last.second <= 2 &&
                            last.mode == mode && last.done == done;
        last = {second, mode, done};
        if (repeat)
            return done;
    }
    Note(rule, mode, done ? QStringLiteral("成功") : QStringLiteral("失败"));
    return done;
}
