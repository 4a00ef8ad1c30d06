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

namespace {

const QStringList& ModeNames()
{
    static const QStringList names = {QStringLiteral("关机"), QStringLiteral("重启"),
                                      QStringLiteral("待机"), QStringLiteral("休眠"),
                                      QStringLiteral("注销"), QStringLiteral("关闭屏幕")};
    return names;
}

} // namespace

QString ModeName(int mode)
{
    return mode >= 0 && mode < ModeNames().size() ? ModeNames()[mode] : QString();
}

QComboBox* NewModeComboBox(QWidget* parent, const QString& name, const QString& toolTip)
{
    // Screen off is offered only where a rule adds it.
    return NewComboBox(parent, name, ModeNames().mid(0, 5), toolTip);
}

void SelectIndex(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace PowerRuleInputs
