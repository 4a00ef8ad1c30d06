#pragma once

#include <QDate>
#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

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
//! used-space limit or by hand. The cleaner runs on its own; when it ends, a notice tells
//! how much space it freed.
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
    //! The label's text for a drive of `totalMB` of which `usedMB` are in use.
    static QString DiskSizeText(long long totalMB, long long usedMB);

private:
    void StartCleaner(int showMode);
    void WatchCleaners(std::uint64_t freeBytes);

    struct Cleaner {
        std::int64_t process;
        std::uint64_t freeBefore;
    };

    FeatureContext& ctx_;
    // The cleaners still running, each with the free space when it started.
    std::vector<Cleaner> cleaners_;
    long long shownTotalMB_ = -1;
    long long shownUsedMB_ = -1;
};
