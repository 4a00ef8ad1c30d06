#pragma once

#include <QString>
#include <QTime>

#include <optional>

class QComboBox;
class QLineEdit;
class QWidget;

//! Inputs shared by the power rules on the "关机任务" page.
namespace PowerRuleInputs {

//! The mode list 关机, 重启, 待机, 休眠, 注销 (PowerMode 0 to 4), first entry selected.
QComboBox* NewModeComboBox(QWidget* parent, const QString& name, const QString& toolTip);

//! A drop-down list of fixed entries, first entry selected.
QComboBox* NewComboBox(QWidget* parent, const QString& name, const QStringList& items,
                       const QString& toolTip);

//! Selects entry `index`; a stored index outside the list selects nothing.
void SelectIndex(QComboBox* box, int index);

} // namespace PowerRuleInputs
