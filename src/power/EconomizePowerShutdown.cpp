#include "power/EconomizePowerShutdown.h"

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

const QString kSection = QStringLiteral("EconomizePowers");
const QString kEconomizePowerTime = QStringLiteral("EconomizePowerTime");
const QString kEconomizePowerTimeSelect = QStringLiteral("EconomizePowerTimeSelect");
const QString kEconomizePowerShutDownMode = QStringLiteral("EconomizePowerShutDownMode");
const QString kEconomizePowerState = QStringLiteral("EconomizePowerState");

} // namespace

EconomizePowerShutdown::EconomizePowerShutdown(FeatureContext& ctx)
    : Rule(ctx, {kSection, kEconomizePowerTime, kEconomizePowerTimeSelect,
                 kEconomizePowerShutDownMode, kEconomizePowerState}),
      ctx_(ctx)
{
    using namespace PowerRuleInputs;
    EconomizePowerGroupBox = new QGroupBox(ctx.Page(PageId::RegularShutDown));
    EconomizePowerGroupBox->setObjectName(QStringLiteral("EconomizePowerGroupBox"));
    auto* row = new QHBoxLayout(EconomizePowerGroupBox);

    EconomizePowerCheckBox = new QCheckBox(QStringLiteral("智能省电模式"), EconomizePowerGroupBox);
    EconomizePowerCheckBox->setObjectName(QStringLiteral("EconomizePowerCheckBox"));
    EconomizePowerCheckBox->setToolTip(
        QStringLiteral("当电脑在规定时间内无人使用的时候,将处于省电模式状态"));
    EconomizePowerMaskEdit =
        AmountInput::NewAmountEdit(EconomizePowerGroupBox, QStringLiteral("EconomizePowerMaskEdit"),
                                   QStringLiteral("请输入一个两位数,如01或30"));
    EconomizePowerComboBox =
        NewComboBox(EconomizePowerGroupBox, QStringLiteral("EconomizePowerComboBox"),
                    {QStringLiteral("分钟"), QStringLiteral("小时"), QStringLiteral("天")},
                    QStringLiteral("可以选择不同的计时模式"));
    EconomizePowerShutDownComboBox =
        NewModeComboBox(EconomizePowerGroupBox, QStringLiteral("EconomizePowerShutDownComboBox"),
                        QStringLiteral("设置关机的模式"));
    EconomizePowerShutDownComboBox->addItem(QStringLiteral("关闭屏幕"));

    Rule.Box = EconomizePowerCheckBox;
    Rule.AmountEdit = EconomizePowerMaskEdit;
    Rule.UnitList = EconomizePowerComboBox;
    Rule.ModeList = EconomizePowerShutDownComboBox;
    AmountInput::AlignCaption(EconomizePowerCheckBox);
    row->addWidget(EconomizePowerCheckBox);
    row->addWidget(EconomizePowerMaskEdit);
    row->addWidget(EconomizePowerComboBox);
    row->addWidget(EconomizePowerShutDownComboBox);
    row->addStretch();
    ctx.AddToPage(PageId::RegularShutDown, EconomizePowerGroupBox);

    connect(EconomizePowerCheckBox, &QCheckBox::toggled, this,
            [this] { EconomizePowerCheckBoxClick(); });
    ctx.OnPowerRule(PowerRule::EconomizePower, [this] { return CheckEconomizePower(); });
    ctx.OnLoad(LoadStep::EconomizePowers, [this] { LoadEconomizePowers(); });
    // It counts idle seconds tick by tick: it looks every second while armed.
    ctx.OnWatch([this] { return EconomizePowerCheckBox->isChecked(); });
    ctx.OnWaiting([this](std::vector<Waiting>& out) {
        if (EconomizePowerCheckBox->isChecked())
            out.push_back(Rule.Condition(QStringLiteral("无人使用"), IdleCounter));
    });
    ctx.OnClose([this] { ReleaseInputHook(); });
}

EconomizePowerShutdown::~EconomizePowerShutdown()
{
    ReleaseInputHook();
}

void EconomizePowerShutdown::LoadEconomizePowers()
{
    Rule.Load(QStringLiteral("05"), 3);
}

void EconomizePowerShutdown::SaveEconomizePowers()
{
    Rule.Save();
}

void EconomizePowerShutdown::EconomizePowerCheckBoxClick()
{
    ctx_.Guard([this] {
        if (EconomizePowerCheckBox->isChecked()) {
            if (!Rule.Take(QStringLiteral("请输入一个有效的两位整数，而不是０"),
                           QStringLiteral("20")))
                return;
            // A rule that cannot hear the user would act on a machine in use.
            platform::IdleInput* idle = ctx_.Os().idleInput.get();
            if (!idle || !idle->available()) {
                EconomizePowerCheckBox->setChecked(false);
                ctx_.Ui().ShowMessage(NoIdleSourceText());
                return;
            }
            // A desktop with no way to turn the screen off would see the rule fire and
            // nothing happen.
            if (PowerModeAt(Rule.Mode) == PowerMode::ScreenOff && !ScreenOffOffered()) {
                EconomizePowerCheckBox->setChecked(false);
                ctx_.Ui().ShowMessage(kNoScreenOff);
                return;
            }
        } else {
            ReleaseInputHook();
            ctx_.Power().DropDisarmed(PowerRule::EconomizePower);
        }
        Rule.Commit();
    });
}

QString EconomizePowerShutdown::NoIdleSourceText()
{
    return QStringLiteral("本桌面无法得知键盘和鼠标的使用情况,不能启用智能省电模式");
}

const QString EconomizePowerShutdown::kNoScreenOff =
    QStringLiteral("本桌面无法关闭屏幕,请选择其他模式");

bool EconomizePowerShutdown::ScreenOffOffered() const
{
    platform::PowerActions* power = ctx_.Os().power.get();
    return power && power->offers(static_cast<unsigned>(PowerMode::ScreenOff));
}

void EconomizePowerShutdown::ReleaseInputHook()
{
    if (platform::IdleInput* idle = ctx_.Os().idleInput.get(); idle && idle->listening())
        idle->stop();
}

bool EconomizePowerShutdown::CheckEconomizePower()
{
    if (!EconomizePowerCheckBox->isChecked())
        return true;
    platform::IdleInput* idle = ctx_.Os().idleInput.get();
    // Without the system's signal no input could ever reset the count, and a machine in
    // use would be switched off: count only while listening, and try again every tick.
    PowerRequests& power = ctx_.Power();
    // Input also ends a countdown before this rule's action, as it ends the idle time.
    if (!idle || !(idle->listening() || idle->start([this] {
            IdleCounter = 0;
            ctx_.Power().Drop(PowerRule::EconomizePower, QStringLiteral("有人使用电脑,已取消"));
        })))
        return true;
    // Nothing is counted while the countdown runs.
    if (power.Holding(PowerRule::EconomizePower))
        return true;
    ++IdleCounter;
    const int unit = AmountRule::SecondsPerUnit(Rule.Unit);
    if (unit == 0)
        return false;
    if (IdleCounter < Rule.Amount * unit)
        return true;
    ReleaseInputHook();
    IdleCounter = 0;
    return power.Ask(PowerRule::EconomizePower, PowerModeAt(Rule.Mode)) != PowerAnswer::Failed;
}
