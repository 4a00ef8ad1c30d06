#pragma once

#include "support/TestEnvironment.h"

#include <QFile>

#include <stdexcept>

namespace power_test {

// 2026-12-09, the fake clock's first day, is a Wednesday.
inline const QDate kWednesday(2026, 12, 9);

//! What the tick shows when `rule`'s action fails.
inline QStringList FailureBox(TickCheck rule)
{
    return {SchedulerTick::FailureMessage(rule)};
}

//! Writes the settings file as it would be found at start (ASCII content only).
inline void WriteSettings(const TestEnvironment& env, const QString& ini)
{
    QFile file(env.SettingsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write test settings");
    QString crlf = ini;
    file.write(crlf.replace(u'\n', QStringLiteral("\r\n")).toLatin1());
}

//! Moves the clock to `date` `time` and runs one tick there.
inline void TickAt(TestEnvironment& env, const QDate& date, const QTime& time)
{
    env.clock->Set(date, time);
    env.RunTick();
}

//! Ticks every second from `from` to `to`, both included.
inline void TickThrough(TestEnvironment& env, const QDate& date, const QTime& from, const QTime& to)
{
    for (QTime t = from; t <= to && t.isValid(); t = t.addSecs(1)) {
        TickAt(env, date, t);
        if (t == QTime(23, 59, 59))
            break;
    }
}

//! The value of `key` in `section` as the file holds it, or a null string.
inline QString Stored(const TestEnvironment& env, const QString& section, const QString& key)
{
    bool inSection = false;
    for (const QString& line : env.SettingsText().split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'['))
            inSection = line.compare(u'[' + section + u']', Qt::CaseInsensitive) == 0;
        else if (inSection && line.startsWith(key + u'='))
            return line.mid(key.size() + 1);
    }
    return {};
}

} // namespace power_test
