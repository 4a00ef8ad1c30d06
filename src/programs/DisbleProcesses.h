#pragma once

#include "core/ListFile.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>
#include <string>
#include <vector>

class FeatureContext;
class QAction;
class QMenu;
class QPushButton;
class QTableWidget;
class TDisbleProcessForm;

//! Programs blocked on a span of weekdays and a span of the day, named by the exact title
//! of their window. Kept in "DisbleProcessList" (ANSI code page, one space between fields, LF),
//! listed in a five-column grid; once a second the window of every row in force is asked to close.
class DisbleProcesses {
public:
    explicit DisbleProcesses(FeatureContext& ctx);
    ~DisbleProcesses();

    QTableWidget* DisbleProcessStringGrid = nullptr;
    QMenu* DisbleProcessPopupMenu = nullptr;
    QAction* DeleteDisbleProcess = nullptr;
    QPushButton* AdddisbleProcessButton = nullptr;
    TDisbleProcessForm* DisbleProcessForm = nullptr;

    QString ListPath() const { return list_.Path(); }

    void LoadDisbleProcessList();
    void DeleteDisbleProcessRow(int row);
    void CheckDisbleProcessList();
    void CloseDisbleProcessWindow(int row);

    //! Appends one record and reloads the grid; false, after a message, when not added.
    bool AppendDisbleProcess(const QStringList& record);

    //! False where this desktop lets us close no other program's window, so that adding a
    //! program can say it will not be closed here.
    bool WindowsClosable() const;

    void AdddisbleProcessButtonClick();
    void DeleteDisbleProcessClick();

private:
    // A row read once, so that the tick only compares numbers.
    struct Rule {
        QString title;
        int firstDay = 0, lastDay = 0;
        QTime from, to;
    };

    void BuildGroup();
    void IndexRows();
    //! The titles in force at `now` and the span of the day over which they stay so.
    void FindRulesInForce(const QDate& day, int msecs);

    //! Records the windows closed now that were not already closed on the last tick.
    void LogClosed(std::vector<std::u16string> closed);

    FeatureContext& ctx_;
    ListFile list_;
    // A window that ignores the request is asked again every second; it is recorded once.
    std::vector<std::u16string> lastClosed_;
    //! Per grid row; nothing for a row that is never enforced.
    std::vector<std::optional<Rule>> rules_;
    // A row can be in force: the windows are looked for every second.
    bool armed_ = false;
    // The rows in force change only at the bounds of their spans: between two bounds the
    // tick reuses the titles it found, over [inForceFrom_, inForceUntil_) ms of the day.
    QDate inForceDay_; // invalid: to be worked out again
    int inForceFrom_ = 0;
    int inForceUntil_ = 0;
    std::vector<std::u16string> inForce_;
};
