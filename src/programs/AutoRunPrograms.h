#pragma once

#include "core/ListFile.h"
#include "platform/CommandLauncher.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <vector>

class FeatureContext;
class QAction;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTimer;

//! The programs started at every start of the assistant: kept one path a line in
//! "AutoRunApplication" (narrow text, CR LF), listed in a one-column grid, started by their exact
//! path. Every start that fails adds a line to "AutoRunErrorLog.txt"; the first failure of a
//! start also shows its reason.
class AutoRunPrograms {
public:
    explicit AutoRunPrograms(FeatureContext& ctx);
    ~AutoRunPrograms();

    QPushButton* AddAutoRunButton = nullptr;
    QTableWidget* AutoRunStringGrid = nullptr;
    QMenu* AutoRunPopupMenu = nullptr;
    QAction* DeleteAutoRun = nullptr;
    QPushButton* LookAutoRunErrorButton = nullptr;
    QPlainTextEdit* AutoRunErrorMemo = nullptr;

    //! The message of the last start that failed, as shown and logged.
    QString LastFailure;

    static QString DialogFilter();
    //! The message for a failed start of `path`: the path, then the reason, from the
    //! system's error number where there is one and from the launch code otherwise. A path
    //! longer than 260 characters shows its start and "…".
    static QString FailureText(const QString& path,
                               const platform::CommandLauncher::Result& result);
    //! The reason alone, "原因:…".
    static QString FailureReason(const platform::CommandLauncher::Result& result);

    QString ListPath() const { return list_.Path(); }
    QString LogPath() const;

    void LoadAutoRunList();
    void RunAutoRunList();
    void DeleteAutoRunRow(int row);

    void AddAutoRunButtonClick();
    void DeleteAutoRunClick();
    void AutoRunStringGridMouseDown();
    void LookAutoRunErrorButtonClick();

private:
    void BuildGroup();
    void AppendToLog(const QString& message);
    void ReapExited();

    FeatureContext& ctx_;
    ListFile list_;
    // Started programs still running: asked about until they end, so none is left a zombie.
    std::vector<std::int64_t> running_;
    QTimer* reaper_ = nullptr;
};
