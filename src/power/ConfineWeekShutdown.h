#pragma once

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

//! The restricted period: while today lies in a weekday range and the time of day in a
//! time range, every second requests the chosen power action. Neither range wraps: 22:00:00
//! to 06:00:00 is the daytime between them, 星期五 to 星期一 is Monday to Friday.
class ConfineWeekShutdown : public QObject {
    Q_OBJECT
public:
    explicit ConfineWeekShutdown(FeatureContext& ctx);

    QGroupBox* ConfineTimeGroupBox = nullptr;
    QComboBox* ConfineWeekComboBox1 = nullptr;
    QComboBox* ConfineWeekComboBox2 = nullptr;
    QLineEdit* ConfineTimeMaskEdit1 = nullptr;
    QLineEdit* ConfineTimeMaskEdit2 = nullptr;
    QCheckBox* ConfineWeekCheckBox = nullptr;
    QComboBox* ConfineWeekShutDownComboBox = nullptr;

    // In effect while armed, taken from the inputs at arming.
    int ConfineWeek1 = 0;
    int ConfineWeek2 = 0;
    QString ConfineTime1;
    QString ConfineTime2;
    int ConfineMode = 0;

    void LoadConfineWeekTimes();
    void SaveConfineWeekTimes();
    void ConfineWeekCheckBoxClick();
    //! False only when the period holds and its power action failed.
    bool CheckConfineWeek();
    //! `after` itself inside the period, else the start of the next stay in it; after a
    //! warning was let go, the start of the first stay after the present one.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;

private:
    //! True when wall-clock second `second` lies in the period.
    bool Inside(qint64 second) const;

    FeatureContext& ctx_;
    // Parsed once at arming. A time that does not parse (25:61:00) makes the period empty.
    std::optional<QTime> from_;
    std::optional<QTime> to_;
    // The countdown before the action was cancelled during the present stay in the period.
    bool skippedStay_ = false;
    int schedule_ = -1;
};
