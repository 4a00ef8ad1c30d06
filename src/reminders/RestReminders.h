#pragma once

#include "core/OncePerSecond.h"

#include <QString>

class FeatureContext;
struct LocalMoment;
struct UpcomingList;
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
    //! What comes next of this rule between `from` and `to`, from the values its check uses.
    void ListUpcoming(const LocalMoment& from, const LocalMoment& to, UpcomingList& out) const;

private:
    FeatureContext& ctx_;
    //! The uptime of the previous check, in whole seconds.
    qint64 lastUptime_ = -1;
    OncePerSecond once_;
};
