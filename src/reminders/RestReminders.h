#pragma once

#include <QString>

#include <optional>

class FeatureContext;
struct LocalMoment;
struct Occurrence;
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
    //! The first reminder in the second `after` falls in or later, while the box is on. The
    //! uptime steps are placed on the clock as the two clocks stand now.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;

private:
    FeatureContext& ctx_;
    //! The uptime of the previous check, in whole seconds.
    qint64 lastUptime_ = -1;
    int schedule_ = -1;
};
