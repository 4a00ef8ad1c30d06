#pragma once

#include <QString>

class QCheckBox;
class QLineEdit;
class QWidget;

//! The two-digit amount fields of the duration rules (run time, idle, network state).
namespace AmountInput {

//! A field for exactly two digits.
QLineEdit* NewAmountEdit(QWidget* parent, const QString& name, const QString& toolTip);

//! Gives the rule's box the width of the longest caption of the three rules, so that
//! their fields line up one under another.
void AlignCaption(QCheckBox* box);

} // namespace AmountInput
