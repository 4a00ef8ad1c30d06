#include "power/AmountRule.h"

#include "core/FeatureContext.h"
#include "core/Occurrences.h"
#include "power/PowerRuleInputs.h"
#include "power/ShutDownComputer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace {

// The amount the field holds; 0 unless both digits are filled in. 0 is "no amount":
// arming on it would make the rule due at once.
int AmountOf(const QLineEdit* edit)
{
    if (!edit->hasAcceptableInput())
        return 0;
    bool ok = false;
    const int amount = edit->text().toInt(&ok);
    return ok ? amount : 0;
}

} // namespace

int AmountRule::SecondsPerUnit(int unit)
{
    switch (unit) {
    case 0:
        return 60;
    case 1:
        return 3600;
    case 2:
        return 86400;
    default:
        return 0;
    }
}

void AmountRule::Load(const QString& defaultAmount, int defaultMode)
{
    SettingsFile& settings = ctx_.Settings();
    AmountEdit->setText(settings.ReadString(keys_.section, keys_.amount, defaultAmount));
    PowerRuleInputs::SelectIndex(UnitList, settings.ReadInteger(keys_.section, keys_.unit, 0));
    PowerRuleInputs::SelectIndex(ModeList,
                                 settings.ReadInteger(keys_.section, keys_.mode, defaultMode));
    Box->setChecked(settings.ReadBool(keys_.section, keys_.state, false));
}

void AmountRule::Save()
{
    SettingsFile& settings = ctx_.Settings();
    settings.WriteString(keys_.section, keys_.amount, AmountText);
    settings.WriteInteger(keys_.section, keys_.unit, Unit);
    settings.WriteInteger(keys_.section, keys_.mode, Mode);
    settings.WriteBool(keys_.section, keys_.state, Box->isChecked());
}

bool AmountRule::Take(const QString& refusal, const QString& resetText)
{
    const int amount = AmountOf(AmountEdit);
    if (amount == 0) {
        Box->setChecked(false);
        ctx_.Ui().ShowMessage(refusal);
        AmountEdit->setText(resetText);
        return false;
    }
    AmountText = AmountEdit->text();
    Amount = amount;
    Unit = UnitList->currentIndex();
    Mode = ModeList->currentIndex();
    return true;
}

Waiting AmountRule::Condition(const QString& event, qint64 countedSeconds) const
{
    return {Box->text(),
            QStringLiteral("%1 %2 %3后%4，已计 %5")
                .arg(event)
                .arg(Amount)
                .arg(UnitList->itemText(Unit), ShutDownComputer::ModeName(Mode),
                     Occurrences::Duration(countedSeconds)),
            PowerModeAt(Mode)};
}

void AmountRule::Commit()
{
    const bool armed = Box->isChecked();
    // Armed, the rule needs the tick every second; disarmed, the tick may sleep.
    ctx_.Replan();
    // Inputs first: a refused write below must not leave a cleared rule locked.
    AmountEdit->setEnabled(!armed);
    UnitList->setEnabled(!armed);
    ModeList->setEnabled(!armed);
    if (armed)
        Save();
    else
        ctx_.Settings().WriteBool(keys_.section, keys_.state, false);
}
