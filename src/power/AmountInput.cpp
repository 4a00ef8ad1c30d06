#include "power/AmountInput.h"

#include "app/Main.h"

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

int AmountOf(const QLineEdit* edit)
{
    // One digit and a blank, or an emptied field, is no amount at all.
    if (!edit->hasAcceptableInput())
        return 0;
    bool ok = false;
    const int amount = edit->text().toInt(&ok);
    return ok ? amount : 0;
}

void AlignCaption(QCheckBox* box)
{
    QCheckBox longest(QStringLiteral("智能网络模式"));
    longest.setFont(box->font());
    box->setMinimumWidth(longest.sizeHint().width());
}

void Refuse(TMainForm& form, QCheckBox* box, QLineEdit* edit, const QString& message,
            const QString& resetText)
{
    box->setChecked(false);
    form.Ui().ShowMessage(message);
    edit->setText(resetText);
}

} // namespace AmountInput
