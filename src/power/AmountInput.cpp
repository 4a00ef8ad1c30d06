#include "power/AmountInput.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLineEdit>

namespace AmountInput {

QLineEdit* NewAmountEdit(QWidget* parent, const QString& name, const QString& toolTip)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // Qt's 9 is a required digit.
    edit->setInputMask(QStringLiteral("99;_"));
    edit->setToolTip(toolTip);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 20);
    return edit;
}

void AlignCaption(QCheckBox* box)
{
    QCheckBox longest(QStringLiteral("智能网络模式"));
    longest.setFont(box->font());
    box->setMinimumWidth(longest.sizeHint().width());
}

} // namespace AmountInput
