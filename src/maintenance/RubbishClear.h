#pragma once

#include <QDate>
#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class FeatureContext;
struct LocalMoment;
struct Occurrence;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

//! Junk cleaning on the page "系统清理和优化": the system drive's figures every second, a
//! warning when much of it is used, and the shipped cleaner run on a schedule, at a
//! used-space limit or by hand. The cleaner runs on its own, one at a time; when it ends, a
//! notice tells how much space it freed, as the cleaner's own report says. The drive is
//! looked at every second only while something needs its figures (the page shown, the limit
//! on, the warning still to come) or a cleaner runs; the schedule sleeps until its day.
class RubbishClear : public QObject {
    Q_OBJECT
public:
    explicit RubbishClear(FeatureContext& ctx);

    QGroupBox* SystemClearGroupBox = nullptr;
    QCheckBox* DestineWeekClearCheckBox = nullptr;
    QComboBox* DestineWeekClearComboBox = nullptr;
    QCheckBox* DiskSizeCheckBox = nullptr;
    QLineEdit* SetDiskSizeEdit = nullptr;
    QLabel* ShowDiskSize = nullptr;
    QPushButton* HandClearButton = nullptr;

    // In effect while switched on; kept between runs in section SystemClear.
    int ClearPeriodDays = 0;
    QDate NextClearDate;
    bool ClearState = false;
    int DiskSizeLimitMB = 0;
    // This run only.
    bool DiskClearDone = false;
    std::uint32_t DiskClearTicks = 0;
    bool JunkWarningPending = true;
    std::uint32_t JunkWarningTicks = 0;
    int SystemDiskTotalMB = 0;
    int SystemDiskUsedMB = 0;

    void LoadSystemClear();
    void SaveSystemClear();
    void CheckSystemClear();
    //! The first scheduled cleaning in the second `after` falls in or later: the first second
    //! of NextClearDate, or, when that day has come, the first check from now on.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;
    //! True while the check must look every second.
    bool Watching() const;
    void DestineWeekClearCheckBoxClick();
    void DiskSizeCheckBoxClick();
    void HandClearButtonClick();

    //! The cleaner beside the program: RubbishClear.bat on Windows, RubbishClear.sh elsewhere.
    QString CleanerPath() const;
    //! Where the cleaner writes what it printed (it finds the path in QUORLIN_CLEAN_REPORT).
    QString ReportPath() const;
    //! The label's text for a drive of `totalMB` of which `usedMB` are in use.
    static QString DiskSizeText(long long totalMB, long long usedMB);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    //! The drive's figures are wanted on this check.
    bool FiguresWanted() const;
    void ReadFigures();
    //! The schedule's inputs changed: its answer is asked again.
    void Replan();
    void StartCleaner(int showMode);
    void WatchCleaner();
    void TellCleanerEnded();
    //! SaveSystemClear from the check: a refusal (a full disk) is reported once while it
    //! lasts, and never keeps the cleaning from starting.
    void SaveFromCheck();

    FeatureContext& ctx_;
    int schedule_ = -1;
    // The second a cleaning whose day has come is planned for, so that the answers for the
    // seconds after it list the periods that follow it.
    mutable std::optional<qint64> overdueAt_;
    // The cleaner running now; 0 when none is (or it cannot be watched).
    std::int64_t cleaner_ = 0;
    bool saveRefusalShown_ = false;
    long long shownTotalMB_ = -1;
    long long shownUsedMB_ = -1;
    std::uint32_t junkLooks_ = 0; // checks seen while the junk warning was pending
};
