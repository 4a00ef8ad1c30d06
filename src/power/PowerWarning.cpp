#include "power/PowerWarning.h"

#include "core/FeatureContext.h"
#include "power/PowerWarningForm.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QScopeGuard>

#include <algorithm>

namespace {

const QString kSection = QStringLiteral("PowerTasks");
const QString kWarnBeforeAction = QStringLiteral("WarnBeforeAction");
const QString kWarnSeconds = QStringLiteral("WarnSeconds");

constexpr int kScreenOff = 5;

QString RangeRefusal()
{
    return QStringLiteral("提醒时间请输入 %1 到 %2 之间的整数秒")
        .arg(PowerWarning::kMinSeconds)
        .arg(PowerWarning::kMaxSeconds);
}

} // namespace

PowerWarning::PowerWarning(FeatureContext& ctx) : ctx_(ctx)
{
    PowerWarningGroupBox = new QGroupBox(ctx.Page(PageId::RegularShutDown));
    PowerWarningGroupBox->setObjectName(QStringLiteral("PowerWarningGroupBox"));
    auto* row = new QHBoxLayout(PowerWarningGroupBox);
    WarnBeforeActionCheckBox = new QCheckBox(QStringLiteral("执行前提醒"), PowerWarningGroupBox);
    WarnBeforeActionCheckBox->setObjectName(QStringLiteral("WarnBeforeActionCheckBox"));
    WarnBeforeActionCheckBox->setToolTip(
        QStringLiteral("关机任务执行前先倒计时提醒,可以立即执行或取消本次"));
    WarnSecondsEdit = new QLineEdit(QString::number(kDefaultSeconds), PowerWarningGroupBox);
    WarnSecondsEdit->setObjectName(QStringLiteral("WarnSecondsEdit"));
    WarnSecondsEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,4}")), WarnSecondsEdit));
    WarnSecondsEdit->setToolTip(RangeRefusal());
    WarnSecondsEdit->setFixedWidth(
        WarnSecondsEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 20);
    row->addWidget(WarnBeforeActionCheckBox);
    row->addWidget(WarnSecondsEdit);
    row->addWidget(new QLabel(QStringLiteral("秒"), PowerWarningGroupBox));
    row->addStretch();
    ctx.AddToPage(PageId::RegularShutDown, PowerWarningGroupBox);

    connect(WarnBeforeActionCheckBox, &QCheckBox::toggled, this,
            [this] { WarnBeforeActionCheckBoxClick(); });
    ctx.OnLoad(LoadStep::PowerTasks, [this] { LoadPowerTasks(); });
    ctx.OnTick(TickCheck::CountDownPowerWarning, [this] { CountDownPowerWarning(); });
    // Counted every second while shown; the next countdown opens from a tick or while
    // this one keeps the ticks coming.
    ctx.OnWatch([this] { return current_.has_value(); });
    // Made hidden now, so that a due rule only has to show it.
    Form = new PowerWarningForm;
    if (const QWidget* window = ctx.Window())
        Form->setWindowIcon(window->windowIcon());
    Form->OnActNow = [this] { ctx_.Guard([this] { Answer(&PowerWarning::ActNow); }); };
    Form->OnSkip = [this] { ctx_.Guard([this] { Answer(&PowerWarning::SkipOnce); }); };
    ctx.PowerActions().SetGate(this);
    // A program that ends acts on nothing it was counting down.
    ctx.OnClose([this] {
        waiting_.clear();
        if (current_)
            Drop(current_->rule, QStringLiteral("程序退出,已取消"));
    });
}

PowerWarning::~PowerWarning()
{
    ctx_.PowerActions().SetGate(nullptr);
    delete Form;
}

QString PowerWarning::CountdownText(int seconds, int mode)
{
    return QStringLiteral("%1 秒后将%2").arg(seconds).arg(ShutDownComputer::ModeName(mode));
}

void PowerWarning::LoadPowerTasks()
{
    SettingsFile& settings = ctx_.Settings();
    // A hand-edited file is brought into range, not refused: the warning stays as meant.
    const int seconds = std::clamp(settings.ReadInteger(kSection, kWarnSeconds, kDefaultSeconds),
                                   kMinSeconds, kMaxSeconds);
    WarnSecondsEdit->setText(QString::number(seconds));
    WarnBeforeActionCheckBox->setChecked(settings.ReadBool(kSection, kWarnBeforeAction, false));
}

void PowerWarning::WarnBeforeActionCheckBoxClick()
{
    ctx_.Guard([this] {
        const bool on = WarnBeforeActionCheckBox->isChecked();
        if (on) {
            bool ok = false;
            const int seconds = WarnSecondsEdit->text().toInt(&ok);
            if (!ok || seconds < kMinSeconds || seconds > kMaxSeconds) {
                WarnBeforeActionCheckBox->setChecked(false);
                WarnSecondsEdit->setText(QString::number(kDefaultSeconds));
                ctx_.Ui().ShowMessage(RangeRefusal());
                return;
            }
            WarnSeconds = seconds;
        }
        // Input first: a refused write below must not leave the field locked.
        WarnSecondsEdit->setEnabled(!on);
        SettingsFile& settings = ctx_.Settings();
        if (on)
            settings.WriteInteger(kSection, kWarnSeconds, WarnSeconds);
        settings.WriteBool(kSection, kWarnBeforeAction, on);
    });
}

bool PowerWarning::Hold(PowerRuleCall& call)
{
    // Screen off harms nothing and is undone by a touch of the mouse: never held.
    if (!WarnBeforeActionCheckBox->isChecked() || call.mode == kScreenOff)
        return false;
    if (Holding(call.rule))
        return true;
    if (current_)
        waiting_.push_back(std::move(call));
    else
        Open(std::move(call));
    return true;
}

bool PowerWarning::Holding(int rule) const
{
    return (current_ && current_->rule == rule) ||
           std::any_of(waiting_.begin(), waiting_.end(),
                       [rule](const PowerRuleCall& c) { return c.rule == rule; });
}

void PowerWarning::Open(PowerRuleCall call)
{
    current_ = std::move(call);
    ++opened_;
    remaining_ = WarnSeconds;
    justOpened_ = true;
    Form->SetText(CountdownText(remaining_, current_->mode),
                  ShutDownComputer::FeatureName() + QStringLiteral(" · ") +
                      ShutDownComputer::RuleName(current_->rule));
    Form->ShowOnTop();
    ctx_.PowerActions().Note(current_->rule, current_->mode,
                             QStringLiteral("倒计时 %1 秒").arg(remaining_));
}

PowerRuleCall PowerWarning::Close()
{
    PowerRuleCall call = std::move(*current_);
    current_.reset();
    Form->Dismiss();
    return call;
}

void PowerWarning::OpenNext()
{
    if (current_ || waiting_.empty())
        return;
    PowerRuleCall next = std::move(waiting_.front());
    waiting_.pop_front();
    Open(std::move(next));
}

void PowerWarning::CountDownPowerWarning()
{
    if (!current_)
        return;
    if (justOpened_) {
        justOpened_ = false;
        return;
    }
    if (--remaining_ > 0) {
        Form->SetText(CountdownText(remaining_, current_->mode), Form->RuleLabel->text());
        return;
    }
    ActNow();
}

void PowerWarning::Answer(void (PowerWarning::*act)())
{
    if (!current_ || answering_)
        return;
    if (MayAnswer) {
        const quint64 asked = opened_;
        answering_ = true;
        const auto done = qScopeGuard([this] { answering_ = false; });
        const bool allowed = MayAnswer();
        // Refused, or the countdown ended while the question was open: it runs on as it is.
        if (!allowed || !current_ || opened_ != asked)
            return;
    }
    (this->*act)();
}

void PowerWarning::ActNow()
{
    if (!current_)
        return;
    const PowerRuleCall call = Close();
    // The same message the rule's own check gives when its action fails.
    if (!ctx_.PowerActions().RunRuleNow(call.rule, call.mode))
        ctx_.Ui().ShowMessage(SchedulerTick::FailureMessage(call.rule));
    OpenNext();
}

void PowerWarning::SkipOnce()
{
    if (!current_)
        return;
    const PowerRuleCall call = Close();
    ctx_.PowerActions().Note(call.rule, call.mode, QStringLiteral("已取消本次"));
    if (call.skipped)
        call.skipped();
    OpenNext();
}

void PowerWarning::Drop(int rule, const QString& why)
{
    if (current_ && current_->rule == rule) {
        const PowerRuleCall call = Close();
        ctx_.PowerActions().Note(rule, call.mode, why);
        OpenNext();
        return;
    }
    std::erase_if(waiting_, [rule](const PowerRuleCall& c) { return c.rule == rule; });
}
