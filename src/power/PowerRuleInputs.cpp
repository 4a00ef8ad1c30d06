#include "power/PowerRuleInputs.h"

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
    return NewComboBox(parent, name,
                       {QStringLiteral("关机"), QStringLiteral("重启"), QStringLiteral("待机"),
                        QStringLiteral("休眠"), QStringLiteral("注销")},
                       toolTip);
}

void SelectIndex(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace PowerRuleInputs
