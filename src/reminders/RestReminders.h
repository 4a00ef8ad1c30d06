#pragma once

#include <QString>

class FeatureContext;
class QCheckBox;

//! Three health reminders as tray balloons: every two hours of system uptime, every full
//! hour late at night, and at noon in the summer months.
class RestReminders {
public:
    explicit RestReminders(FeatureContext& ctx);

    QCheckBox* RestHintCheckBox = nullptr;

    static QString UptimeText(qint64 hours);
    static const QString& NightText();
    static const QString& NoonText();

    void LoadRestReminders();
    void RestHintCheckBoxClick();
    void CheckRestReminders();

private:
    FeatureContext& ctx_;
    //! The uptime and the clock second of the previous check, so that no reminder is
    //! shown twice for one second.
    qint64 lastUptime_ = -1;
    qint64 lastClockSecond_ = -1;
};
