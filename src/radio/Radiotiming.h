#pragma once

#include "core/ListFile.h"

#include <QDate>
#include <QDialog>
#include <QString>
#include <QTime>

#include <array>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTableWidget;
class FeatureContext;
struct LocalMoment;
struct Occurrence;
class RadioCatalogue;
class RadioPlayback;

//! The dialog that schedules the current station: a day, a time, "添加".
class TRadioTimingForm : public QDialog {
public:
    explicit TRadioTimingForm(QWidget* parent);

    QLabel* RadioName = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* DateComboBox = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* TimeMaskEdit = nullptr;
    QPushButton* AddButton = nullptr;
    QPushButton* ExitButton = nullptr;

    //! The time as typed, without the mask's blanks.
    QString TimeText() const;
    void ExitButtonClick();
};

//! Timed radio: "day time station" lines in the file "RadioTiming" (user data folder), shown in a
//! grid and tested every second; a timing that comes due makes its station current and starts it.
class Radiotiming {
public:
    //! Builds the timing group into the catalogue's side column; the catalogue exists.
    Radiotiming(FeatureContext& ctx, RadioCatalogue& stations, RadioPlayback& radio);
    ~Radiotiming();

    static const QStringList& DayNames();
    QString TimingFile() const;

    QLabel* Label17 = nullptr;
    QTableWidget* RadioGrid = nullptr;
    QMenu* RadioCellPopupMenu = nullptr;
    QAction* DeleteTiming = nullptr;
    QPushButton* AddToTimingButton = nullptr;
    QComboBox* ContrestWeekComboBox = nullptr;
    std::unique_ptr<TRadioTimingForm> RadioTimingForm;

    void AddRadioTimingClick();
    void AddToTimingButtonClick();
    void AddButtonClick();
    void LoadRadioTimings();
    void DeleteTimingClick();
    void DeleteRadioTiming(int row);
    void CheckRadioTimings();
    //! The first second, `after`'s or later, in which a timing starts its station.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;

private:
    //! A grid row as the check needs it, parsed once whenever the grid changes.
    struct Armed {
        int day = -1; // 0 every day, 1..7 Sunday..Saturday, -1 no day name
        std::optional<QTime> time;
        QString station;
    };
    void OpenDialog();
    void Rearm();

    FeatureContext& ctx_;
    RadioCatalogue& stations_;
    RadioPlayback& radio_;
    ListFile file_;
    std::vector<Armed> armed_;
    //! Per weekday (0 Sunday): the seconds of the day of its timings with their rows, sorted,
    //! so that what comes next is a search.
    std::array<std::vector<std::pair<int, std::size_t>>, 7> byWeekday_;
    int schedule_ = -1;
};
