#pragma once

#include <QString>
#include <QTime>

#include <optional>

class QComboBox;
class QLineEdit;
class QWidget;

//! Inputs shared by the power rules on the "关机任务" page.
namespace PowerRuleInputs {

//! A masked time edit hh:mm:ss with an optional first digit, "00:00:00" to start with.
QLineEdit* NewTimeEdit(QWidget* parent, const QString& name, const QString& toolTip);

//! The mode list 关机, 重启, 待机, 休眠, 注销 (PowerMode 0 to 4), first entry selected.
QComboBox* NewModeComboBox(QWidget* parent, const QString& name, const QString& toolTip);

//! A drop-down list of fixed entries, first entry selected.
QComboBox* NewComboBox(QWidget* parent, const QString& name, const QStringList& items,
                       const QString& toolTip);

//! Puts a stored time into a time edit. A time with a one-digit hour (7:05:00) is shown
//! as 07:05:00: the mask fills positions from the left and would otherwise show 7_:05:00.
void SetTimeText(QLineEdit* edit, const QString& stored);

//! Selects entry `index`; a stored index outside the list selects nothing.
void SelectIndex(QComboBox* box, int index);

//! True in the one second that `due` names.
inline bool SameSecond(const QTime& due, const QTime& now)
{
    return due.hour() == now.hour() && due.minute() == now.minute() && due.second() == now.second();
}

} // namespace PowerRuleInputs
