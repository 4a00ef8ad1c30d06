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

QString RangeRefusal()
{
    return QStringLiteral("提醒时间请输入 %1 到 %2 之间的整数秒")
        .arg(PowerWarning::kMinSeconds)
        .arg(PowerWarning::kMaxSeconds);
}

} // namespace

PowerWarning::PowerWarning(FeatureContext& ctx) : ctx_(ctx), hook_(ctx.Power(), *this)
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
    // A running countdown needs every second.
    ctx.OnWatch([this] { return current_.has_value(); });
    // Made hidden now, so that a due rule only has to show it.
    Form = new PowerWarningForm;
    if (const QWidget* window = ctx.Window())
        Form->setWindowIcon(window->windowIcon());
    Form->OnActNow = [this] { ctx_.Guard([this] { Answer(&PowerWarning::ActNow); }); };
    Form->OnSkip = [this] { ctx_.Guard([this] { Answer(&PowerWarning::SkipOnce); }); };
    // A program that ends acts on nothing it was counting down.
    ctx.OnClose([this] {
        waiting_.clear();
        if (current_)
            Drop(current_->rule, QStringLiteral("程序退出,已取消"));
    });
}

PowerWarning::~PowerWarning()
{
    delete Form;
}

QString PowerWarning::CountdownText(int seconds, PowerMode mode)
{
    return QStringLiteral("%1 秒后将%2").arg(seconds).arg(PowerModeName(mode));
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

bool PowerWarning::Hold(PowerRequest& request)
{
    // Screen off harms nothing and is undone by a touch of the mouse: never held.
    if (!WarnBeforeActionCheckBox->isChecked() || request.mode == PowerMode::ScreenOff)
        return false;
    if (current_)
        waiting_.push_back(std::move(request));
    else
        Open(std::move(request));
    return true;
}

bool PowerWarning::Holding(PowerRule rule) const
{
    return (current_ && current_->rule == rule) ||
           std::any_of(waiting_.begin(), waiting_.end(),
                       [rule](const PowerRequest& r) { return r.rule == rule; });
}

void PowerWarning::Open(PowerRequest request)
{
    current_ = std::move(request);
    ++opened_;
    remaining_ = WarnSeconds;
    justOpened_ = true;
    Form->SetText(CountdownText(remaining_, current_->mode), PowerRequests::FeatureName() +
                                                                 QStringLiteral(" · ") +
                                                                 PowerRuleName(current_->rule));
    Form->ShowOnTop();
    ctx_.Power().Note(current_->rule, current_->mode,
                      QStringLiteral("倒计时 %1 秒").arg(remaining_));
}

PowerRequest PowerWarning::Close()
{
    PowerRequest request = std::move(*current_);
    current_.reset();
    Form->Dismiss();
    return request;
}

void PowerWarning::OpenNext()
{
    if (current_ || waiting_.empty())
        return;
    PowerRequest next = std::move(waiting_.front());
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
    // A failure is reported by the tick, in the rule's turn.
    ctx_.Power().ActHeld(Close());
    OpenNext();
}

void PowerWarning::SkipOnce()
{
    if (!current_)
        return;
    const PowerRequest request = Close();
    ctx_.Power().Note(request.rule, request.mode, QStringLiteral("已取消本次"));
    if (request.skipped)
        request.skipped();
    OpenNext();
}

void PowerWarning::Drop(PowerRule rule, const QString& why)
{
    if (current_ && current_->rule == rule) {
        const PowerRequest request = Close();
        ctx_.Power().Note(rule, request.mode, why);
        OpenNext();
        return;
    }
    std::erase_if(waiting_, [rule](const PowerRequest& r) { return r.rule == rule; });
}
