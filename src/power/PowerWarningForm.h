#pragma once

#include <QString>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;

//! The countdown before a power action: the time left and the action, "立即执行" and
//! "取消本次". Kept above every other window. Closing it counts as "取消本次".
class PowerWarningForm : public QWidget {
    Q_OBJECT
public:
    explicit PowerWarningForm(QWidget* parent);

    QLabel* CountdownLabel = nullptr;
    QLabel* RuleLabel = nullptr;
    QPushButton* ActNowButton = nullptr;
    QPushButton* SkipOnceButton = nullptr;

    std::function<void()> OnActNow;
    std::function<void()> OnSkip;

    void SetText(const QString& countdown, const QString& rule);
    //! Hides the window without counting it as an answer.
    void Dismiss();
    void ShowOnTop();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool closing_ = false;
};
