#include "power/PowerRuleInputs.h"

#include "scheduler/TimeText.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>

namespace PowerRuleInputs {

QLineEdit* NewTimeEdit(QWidget* parent, const QString& name, const QString& toolTip)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // Qt's mask letters are the other way round from the form's "!90:00:00": here 0 is
    // an optional digit and 9 a required one.
    edit->setInputMask(QStringLiteral("09:99:99;_"));
    edit->setText(QStringLiteral("00:00:00"));
    edit->setToolTip(toolTip);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00")) + 24);
    return edit;
}

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

void SetTimeText(QLineEdit* edit, const QString& stored)
{
    if (const std::optional<QTime> t = ParseTime(stored))
        edit->setText(t->toString(QStringLiteral("hh:mm:ss")));
    else
        edit->setText(stored);
}

void SelectIndex(QComboBox* box, int index)
{
    box->setCurrentIndex(index >= 0 && index < box->count() ? index : -1);
}

} // namespace PowerRuleInputs
