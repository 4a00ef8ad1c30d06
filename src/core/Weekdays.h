#pragma once

#include <QStringList>

//! 星期日 to 星期六, the entries of every weekday list (index = Weekday, 0 = Sunday).
const QStringList& WeekdayNames();
