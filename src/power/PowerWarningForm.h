#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

//! The countdown before a power action: the time left and the action, "立即执行" and
//! "取消本次". Kept above every other window. Closing it counts as "取消本次"; when that
//! is refused the window comes back.
//!
//! A window of its own, without a parent: boxes are modal to the main window, and so
//! none of them blocks the countdown's buttons while it runs.
class PowerWarningForm : public QWidget {
    Q_OBJECT
public:
    PowerWarningForm();

    QLabel* CountdownLabel = nullptr;
    QLabel* RuleLabel = nullptr;
    QPushButton* ActNowButton = nullptr;
    QPushButton* SkipOnceButton = nullptr;

    std::function<void()> OnActNow;
    std::function<void()> OnSkip;

    void SetText(const QString& countdown, const QString& rule);
    //! Hides the window without counting it as an answer: the countdown is over.
    void Dismiss();
    //! Shows the window for a countdown that starts or goes on.
    void ShowOnTop();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool closing_ = false;
    // Between ShowOnTop and Dismiss.
    bool counting_ = false;
};
