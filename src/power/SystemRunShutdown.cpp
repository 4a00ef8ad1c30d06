#include "power/SystemRunShutdown.h"

#include "core/FeatureContext.h"
#include "core/Schedule.h"
#include "power/AmountInput.h"
#include "power/PowerRuleInputs.h"
#include "power/ShutDownComputer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("SystemRunTimes");
const QString kSystemRunTime = QStringLiteral("SystemRunTime");
const QString kSystemRunTimeSelect = QStringLiteral("SystemRunTimeSelect");
const QString kSystemRunShutDownMode = QStringLiteral("SystemRunShutDownMode");
const QString kSystemRunState = QStringLiteral("SystemRunState");

} // namespace

SystemRunShutdown::SystemRunShutdown(FeatureContext& ctx)
    : Rule(ctx, {kSection, kSystemRunTime, kSystemRunTimeSelect, kSystemRunShutDownMode,
                 kSystemRunState}),
      ctx_(ctx)
{
    using namespace PowerRuleInputs;
    SystemRunGroupBox = new QGroupBox(ctx.Page(PageId::RegularShutDown));
    SystemRunGroupBox->setObjectName(QStringLiteral("SystemRunGroupBox"));
    auto* row = new QHBoxLayout(SystemRunGroupBox);

    SystemRunCheckBox = new QCheckBox(QStringLiteral("系统运行"), SystemRunGroupBox);
    SystemRunCheckBox->setObjectName(QStringLiteral("SystemRunCheckBox"));
    SystemRunCheckBox->setToolTip(QStringLiteral("限制电脑的运行时间"));
    SystemRunTimeEdit =
        AmountInput::NewAmountEdit(SystemRunGroupBox, QStringLiteral("SystemRunTimeEdit"),
                                   QStringLiteral("请输入一个两位数,如:01或者30"));
    SystemRunComboBox =
        NewComboBox(SystemRunGroupBox, QStringLiteral("SystemRunComboBox"),
                    {QStringLiteral("小时"), QStringLiteral("天"), QStringLiteral("星期")},
                    QStringLiteral("可以选择不同的计时模式"));
    SystemRunShutDownComboBox =
        NewModeComboBox(SystemRunGroupBox, QStringLiteral("SystemRunShutDownComboBox"),
                        QStringLiteral("设置关机的模式"));

    Rule.Box = SystemRunCheckBox;
    Rule.AmountEdit = SystemRunTimeEdit;
    Rule.UnitList = SystemRunComboBox;
    Rule.ModeList = SystemRunShutDownComboBox;
    AmountInput::AlignCaption(SystemRunCheckBox);
    row->addWidget(SystemRunCheckBox);
    row->addWidget(SystemRunTimeEdit);
    row->addWidget(SystemRunComboBox);
    row->addWidget(SystemRunShutDownComboBox);
    row->addStretch();
    ctx.AddToPage(PageId::RegularShutDown, SystemRunGroupBox);

    connect(SystemRunCheckBox, &QCheckBox::toggled, this, [this] { SystemRunCheckBoxClick(); });
    ctx.OnPowerRule(PowerRule::SystemRun, [this] { return CheckSystemRun(); });
    ctx.OnLoad(LoadStep::SystemRunTimes, [this] { LoadSystemRunTimes(); });
    // It counts the running time: it looks every second while armed.
    ctx.OnWatch([this] { return SystemRunCheckBox->isChecked(); });
    ctx.OnWaiting([this](std::vector<Waiting>& out) {
        if (!SystemRunCheckBox->isChecked())
            return;
        platform::SystemInfo* info = ctx_.Os().systemInfo.get();
        out.push_back(
            Rule.Condition(QStringLiteral("系统运行"), info ? info->tickCount() / 1000 : 0));
    });
}

std::uint32_t SystemRunShutdown::UnitLength(int unit)
{
    switch (unit) {
    case 0:
        return 3'600'000u;
    case 1:
        return 86'400'000u;
    case 2:
        return 604'800'000u;
    default:
        return 0;
    }
}

void SystemRunShutdown::LoadSystemRunTimes()
{
    Rule.Load(QStringLiteral("24"), 0);
}

void SystemRunShutdown::SaveSystemRunTimes()
{
    Rule.Save();
}

void SystemRunShutdown::SystemRunCheckBoxClick()
{
    ctx_.Guard([this] {
        skippedAt_ = 0;
        if (!SystemRunCheckBox->isChecked())
            ctx_.Power().DropDisarmed(PowerRule::SystemRun);
        if (SystemRunCheckBox->isChecked() &&
            !Rule.Take(QStringLiteral("请输入一个有效的两位整数，而不是0"), QStringLiteral("24")))
            return;
        Rule.Commit();
    });
}

bool SystemRunShutdown::CheckSystemRun()
{
    if (!SystemRunCheckBox->isChecked())
        return true;
    const std::uint32_t unit = UnitLength(Rule.Unit);
    if (unit == 0)
        return false;
    platform::SystemInfo* info = ctx_.Os().systemInfo.get();
    // Unsigned: the difference stays right across the 49-day wrap of the counter.
    if (!info || (info->tickCount() - skippedAt_) / unit < std::uint32_t(Rule.Amount))
        return true;
    // A warning let go counts the running time again from that moment.
    return ctx_.Power().Ask(PowerRule::SystemRun, PowerModeAt(Rule.Mode), [this, info] {
        skippedAt_ = info->tickCount();
    }) != PowerAnswer::Failed;
}
