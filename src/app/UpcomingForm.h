#pragma once

#include "core/FeatureContext.h"

#include <QDateTime>
#include <QString>
#include <QWidget>

#include <vector>

class QTabWidget;
class QTableWidget;
class QTimer;

//! The window "近期任务": what every armed feature will do in the next seven days, the
//! rules that wait for an event with how far they have counted, and on a second tab the
//! record of what the program did. It asks the features only while it is shown.
class UpcomingForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDays = 7;
    //! Lines of the record shown, newest first.
    static constexpr int kRecordLines = 500;

    UpcomingForm(FeatureContext& ctx, QWidget* parent);

    QTabWidget* UpcomingTabs = nullptr;
    QTableWidget* UpcomingGrid = nullptr;
    QTableWidget* WaitingGrid = nullptr;
    QTableWidget* ActionLogGrid = nullptr;
    QTimer* RefreshTimer = nullptr;

    //! For each entry of a list in time order, the warning that a power action which ends
    //! the session comes before it or in the same second ("关机将早于 08:30 的闹钟",
    //! "关机（12/09 23:30）将早于 06:30 的闹钟" from an earlier day), or empty.
    static std::vector<QString> ClashMarks(const std::vector<Occurrence>& timed);

    //! Fills the tab in view from the features and the record.
    void Refresh();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void RefreshUpcoming();
    void RefreshActionLog();

    FeatureContext& ctx_;
    // The record is read again only when one of its files has changed.
    QDateTime recordStamp_;
    qint64 recordSize_ = -1;
};
