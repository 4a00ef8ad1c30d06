#pragma once

#include <QString>

class QCheckBox;
class QLineEdit;
class QWidget;
class TMainForm;

//! The two-digit amount fields of the duration rules (run time, idle, network state).
namespace AmountInput {

//! A field for exactly two digits.
QLineEdit* NewAmountEdit(QWidget* parent, const QString& name, const QString& toolTip);

//! The amount the field holds; 0 unless both digits are filled in. A rule treats 0 as
//! "no amount": arming on it would make the rule due at once.
int AmountOf(const QLineEdit* edit);

//! Gives the rule's box the width of the longest caption of the three rules, so that
//! their fields line up one under another.
void AlignCaption(QCheckBox* box);

//! Takes back an arming with no valid amount: clears the box (which runs its disarming
//! branch), shows `message` and puts `resetText` into the field.
void Refuse(TMainForm& form, QCheckBox* box, QLineEdit* edit, const QString& message,
            const QString& resetText);

} // namespace AmountInput
