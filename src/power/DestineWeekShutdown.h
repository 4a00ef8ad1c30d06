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

//! The weekday rule "指定星期": one power action at a set time on one weekday, every week.
class DestineWeekShutdown : public QObject {
    Q_OBJECT
public:
    explicit DestineWeekShutdown(FeatureContext& ctx);

    QGroupBox* DestineWeekGroupBox = nullptr;
    QCheckBox* DestineWeekCheckBox = nullptr;
    QLineEdit* DestineWeekTimeEdit = nullptr;
    QComboBox* DestineWeeksComboBox = nullptr;
    QComboBox* DestineWeekShutDownComboBox = nullptr;

    // In effect while armed, taken from the inputs at arming.
    QString DestineWeekTime;
    int DestineWeek = 0;
    int DestineWeekMode = 0;

    void LoadDestineWeeks();
    void SaveDestineWeeks();
    void DestineWeekCheckBoxClick();
    void DestineWeekCheckBoxMouseMove();
    //! False only when the rule was due and its power action failed.
    bool CheckDestineWeek();
    //! The armed rule's first occasion in the second `after` falls in or later.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FeatureContext& ctx_;
    // Parsed once at arming so that the check costs nothing on the ticks between.
    std::optional<QTime> dueTime_;
    int schedule_ = -1;
};
