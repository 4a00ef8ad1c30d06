#pragma once

#include <QString>

class QLineEdit;
class QTime;
class QWidget;

//! The masked time edit hh:mm:ss of every feature. The first hour digit may stay blank,
//! so 8:30:00 can be typed as it is said; it shows "00:00:00" to start with.
QLineEdit* NewTimeField(QWidget* parent, const QString& name, const QString& toolTip);

//! Puts a stored time into a time field. A one-digit hour (7:05:00) is shown as 07:05:00:
//! the mask fills positions from the left and would otherwise show 7_:05:00. Text that
//! is no time is shown as it stands.
void SetTimeFieldText(QLineEdit* edit, const QString& stored);
void SetTimeFieldText(QLineEdit* edit, const QTime& time);

//! The time as typed, without the mask's blanks.
QString TimeFieldText(const QLineEdit* edit);
