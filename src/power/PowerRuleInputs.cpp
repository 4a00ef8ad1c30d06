#include "power/PowerRuleInputs.h"

#include "core/PowerRequests.h"

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
    for (PowerMode mode : {PowerMode::ShutDown, PowerMode::Restart, PowerMode::StandBy,
                           PowerMode::Hibernate, PowerMode::LogOff})
        modes << PowerModeName(mode);
    return NewComboBox(parent, name, modes, toolTip);
}

void SelectIndex(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace PowerRuleInputs
