#include "power/PowerRuleInputs.h"

#include "power/ShutDownComputer.h"

#include <QComboBox>
#include <QFontMetrics>

namespace PowerRuleInputs {

QComboBox* NewComboBox(QWidget* parent, const QString& name, const QStringList& items,
                       const QString& toolTip)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->addItems(items);
    box->setCurrentIndex(0);
    box->setToolTip(toolTip);
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return box;
}

QComboBox* NewModeComboBox(QWidget* parent, const QString& name, const QString& toolTip)
{
    // Screen off is offered only where a rule adds it.
    QStringList modes;
    for (int mode = 0; mode < 5; ++mode)
        modes << ShutDownComputer::ModeName(mode);
    return NewComboBox(parent, name, modes, toolTip);
}

void SelectIndex(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace PowerRuleInputs
