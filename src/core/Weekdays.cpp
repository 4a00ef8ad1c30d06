#include "core/Weekdays.h"

const QStringList& WeekdayNames()
{
    static const QStringList names = {QStringLiteral("星期日"), QStringLiteral("星期一"),
                                      QStringLiteral("星期二"), QStringLiteral("星期三"),
                                      QStringLiteral("星期四"), QStringLiteral("星期五"),
                                      QStringLiteral("星期六")};
    return names;
}
