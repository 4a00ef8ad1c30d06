#include "power/ShutDownComputer.h"

#include "platform/Platform.h"
#include "scheduler/TimeText.h"

bool ShutDownComputer::RunPowerMode(int mode) const
{
    if (mode < 0 || mode > 5 || !platform_.power)
        return false;
    return platform_.power->run(static_cast<unsigned>(mode));
}

QString ShutDownComputer::ModeName(int mode)
{
    static const char16_t* const names[] = {u"关机", u"重启", u"待机",
                                            u"休眠", u"注销", u"关闭屏幕"};
    return mode >= 0 && mode <= 5 ? QString::fromUtf16(names[mode]) : QString();
}

QString ShutDownComputer::RuleName(int rule)
{
    static const char16_t* const names[] = {u"固定时间", u"指定星期",     u"限制模式",
                                            u"系统运行", u"智能省电模式", u"智能网络模式"};
    return rule >= 0 && rule <= 5 ? QString::fromUtf16(names[rule]) : QString();
}

QString ShutDownComputer::FeatureName()
{
    return QStringLiteral("定时关机");
}

void ShutDownComputer::Note(int rule, int mode, const QString& result) const
{
    if (!record_)
        return;
    const QString action = ModeName(mode);
    record_(FeatureName(),
            RuleName(rule) + QStringLiteral(" 请求") +
                (action.isEmpty() ? QStringLiteral("未知操作 %1").arg(mode) : action),
            result);
}

bool ShutDownComputer::RunRule(PowerRuleCall call)
{
    if (gate_ && gate_->Hold(call))
        return true;
    return RunRuleNow(call.rule, call.mode);
}

bool ShutDownComputer::RunRuleNow(int rule, int mode)
{
    const bool done = RunPowerMode(mode);
    if (rule >= 0 && rule < static_cast<int>(last_.size()) && platform_.clock) {
        Last& last = last_[static_cast<size_t>(rule)];
        const qint64 second = SecondOf(ReadClock(*platform_.clock));
        const bool repeat = second - last.second >= 0 && second - last.second <= 2 &&
                            last.mode == mode && last.done == done;
        last = {second, mode, done};
        if (repeat)
            return done;
    }
    Note(rule, mode, done ? QStringLiteral("成功") : QStringLiteral("失败"));
    return done;
}
