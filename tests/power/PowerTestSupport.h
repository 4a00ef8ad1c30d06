#pragma once

#include "support/TestEnvironment.h"

#include "power/ConfineWeekShutdown.h"
#include "power/DestineWeekShutdown.h"
#include "power/EconomizePowerShutdown.h"
#include "power/FixedTimeShutdown.h"
#include "power/NetStateShutdown.h"
#include "power/SystemRunShutdown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>

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

//! `n` ticks, each a second after the last.
inline void Ticks(TestEnvironment& env, int n)
{
    for (int i = 0; i < n; ++i)
        env.Tick();
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

// Each rule's inputs set as the user would, then its box checked.
inline void Arm(FixedTimeShutdown& rule, const QString& time, int interval, int mode)
{
    rule.FixedTimeMaskEdit->setText(time);
    rule.FixedDayComboBox->setCurrentIndex(interval);
    rule.FixedShutDownComboBox->setCurrentIndex(mode);
    rule.FixedTimeCheckBox->setChecked(true);
}

inline void Arm(DestineWeekShutdown& rule, const QString& time, int weekday, int mode)
{
    rule.DestineWeekTimeEdit->setText(time);
    rule.DestineWeeksComboBox->setCurrentIndex(weekday);
    rule.DestineWeekShutDownComboBox->setCurrentIndex(mode);
    rule.DestineWeekCheckBox->setChecked(true);
}

inline void Arm(ConfineWeekShutdown& rule, int week1, int week2, const QString& from,
                const QString& to, int mode)
{
    rule.ConfineWeekComboBox1->setCurrentIndex(week1);
    rule.ConfineWeekComboBox2->setCurrentIndex(week2);
    rule.ConfineTimeMaskEdit1->setText(from);
    rule.ConfineTimeMaskEdit2->setText(to);
    rule.ConfineWeekShutDownComboBox->setCurrentIndex(mode);
    rule.ConfineWeekCheckBox->setChecked(true);
}

inline void Arm(SystemRunShutdown& rule, const QString& amount, int unit, int mode)
{
    rule.SystemRunTimeEdit->setText(amount);
    rule.SystemRunComboBox->setCurrentIndex(unit);
    rule.SystemRunShutDownComboBox->setCurrentIndex(mode);
    rule.SystemRunCheckBox->setChecked(true);
}

inline void Arm(EconomizePowerShutdown& rule, const QString& amount, int unit, int mode)
{
    rule.EconomizePowerMaskEdit->setText(amount);
    rule.EconomizePowerComboBox->setCurrentIndex(unit);
    rule.EconomizePowerShutDownComboBox->setCurrentIndex(mode);
    rule.EconomizePowerCheckBox->setChecked(true);
}

} // namespace power_test
