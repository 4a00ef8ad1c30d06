#pragma once

#include <QDate>
#include <QObject>
#include <QString>

#include <cstdint>

class FeatureContext;
struct LocalMoment;
struct UpcomingList;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

//! Junk cleaning on the page "系统清理和优化": the system drive's figures every second, a
//! warning when much of it is used, and the shipped cleaner run on a schedule, at a
//! used-space limit or by hand. The cleaner runs on its own, one at a time; when it ends, a
//! notice tells how much space it freed, as the cleaner's own report says.
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
    //! What comes next of this rule between `from` and `to`, from the values its check uses.
    void ListUpcoming(const LocalMoment& from, const LocalMoment& to, UpcomingList& out) const;
    void DestineWeekClearCheckBoxClick();
    void DiskSizeCheckBoxClick();
    void HandClearButtonClick();

    //! The cleaner beside the program: RubbishClear.bat on Windows, RubbishClear.sh elsewhere.
    QString CleanerPath() const;
    //! Where the cleaner writes what it printed (it finds the path in QUORLIN_CLEAN_REPORT).
    QString ReportPath() const;
    //! The label's text for a drive of `totalMB` of which `usedMB` are in use.
    static QString DiskSizeText(long long totalMB, long long usedMB);

private:
    void StartCleaner(int showMode);
    void WatchCleaner();
    void TellCleanerEnded();
    //! SaveSystemClear from the check: a refusal (a full disk) is reported once while it
    //! lasts, and never keeps the cleaning from starting.
    void SaveFromCheck();

    FeatureContext& ctx_;
    // The cleaner running now; 0 when none is (or it cannot be watched).
    std::int64_t cleaner_ = 0;
    bool saveRefusalShown_ = false;
    long long shownTotalMB_ = -1;
    long long shownUsedMB_ = -1;
};
