#include "scheduler/SchedulerTick.h"

#include "ui/Guarded.h"

#include <QScopeGuard>

namespace {

const char16_t* const kFailureTexts[SchedulerTick::kPowerRules] = {
    u"固定时间关机失败,如在次出现此问题请联系",     u"指定星期关机失败,如在次出现此问题请联系",
    u"限制模式关机失败,如在次出现此问题请联系",     u"系统运行关机模式失败,如在次出现此问题请联系",
    u"智能省电模式启动失败,如在次出现此问题请联系", u"智能网络模式启动失败,如在次出现此问题请联系",
};

const char16_t kSupportContact[] = u"客服邮箱 support@quorlin.app";

} // namespace

QString SchedulerTick::FailureMessage(TickCheck rule)
{
    const int index = static_cast<int>(rule);
    if (index >= kPowerRules)
        return {};
    return QString::fromUtf16(kFailureTexts[index]) + QString::fromUtf16(kSupportContact) +
           QStringLiteral(",感谢您的使用");
}

void SchedulerTick::SetPowerRule(TickCheck which, Check check)
{
    checks_[static_cast<int>(which)] = std::move(check);
}

void SchedulerTick::SetCheck(TickCheck which, std::function<void()> check)
{
    checks_[static_cast<int>(which)] = [check = std::move(check)] {
        check();
        return true;
    };
}

void SchedulerTick::ReportFailure(int rule)
{
    if (failureShown_[rule])
        return;
    failureShown_[rule] = true;
    const auto reset = qScopeGuard([this, rule] { failureShown_[rule] = false; });
    ui_.ShowMessage(FailureMessage(static_cast<TickCheck>(rule)));
}

void SchedulerTick::Run()
{
    Guarded(ui_, [this] {
        if (before_)
            before_();
        for (int i = 0; i < static_cast<int>(TickCheck::Count); ++i) {
            if (!checks_[i])
                continue;
            const bool ok = checks_[i]();
            if (!ok && i < kPowerRules)
                ReportFailure(i);
        }
        if (after_)
            after_();
    });
}
