#pragma once

#include "core/OncePerSecond.h"

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
    //! The uptime of the previous check, in whole seconds.
    qint64 lastUptime_ = -1;
    OncePerSecond once_;
};
