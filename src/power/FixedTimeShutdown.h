#pragma once

#include <QDate>
#include <QObject>
#include <QString>
#include <QTime>

#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class FeatureContext;
struct LocalMoment;
struct Occurrence;

//! The fixed-time rule "固定时间": one power action at a set time on the day it was armed
//! plus a chosen number of days. It fires at most once per arming; loading re-arms a rule
//! stored as enabled, counting the days from that start.
class FixedTimeShutdown : public QObject {
    Q_OBJECT
public:
    explicit FixedTimeShutdown(FeatureContext& ctx);

    QGroupBox* FixedTimeGroupBox = nullptr;
    QCheckBox* FixedTimeCheckBox = nullptr;
    QLineEdit* FixedTimeMaskEdit = nullptr;
    QComboBox* FixedDayComboBox = nullptr;
    QComboBox* FixedShutDownComboBox = nullptr;

    // In effect while armed, taken from the inputs at arming.
    QString FixedTime;
    QString FixedDate;
    int FixedMode = 0;
    int FixedInterval = 0;

    void LoadFixedTimes();
    void SaveFixedTimes();
    void FixedTimeCheckBoxClick();
    void FixedTimeCheckBoxMouseMove();
    //! False only when the rule was due and its power action failed.
    bool CheckFixedTime();
    //! The armed rule's one occasion when it falls in the second `after` falls in or later.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FeatureContext& ctx_;
    // Parsed once at arming so that the check costs nothing on the ticks between.
    std::optional<QTime> dueTime_;
    QDate dueDate_;
    // Set when the rule has fired: it acts once per arming.
    bool spent_ = false;
    int schedule_ = -1;
};
