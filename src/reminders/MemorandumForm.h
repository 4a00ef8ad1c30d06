#pragma once

#include <QWidget>

class Memorandum;
class QCalendarWidget;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class FeatureContext;

//! The entry dialog for one note: a calendar for the date, the time and the text. Made
//! once at start, shown without blocking the main window.
class TMemorandumForm : public QWidget {
    Q_OBJECT
public:
    TMemorandumForm(FeatureContext& ctx, Memorandum& memorandum);

    QCalendarWidget* MemorandumMonthCalendar = nullptr;
    QLineEdit* MemorandumDateMaskEdit = nullptr;
    QLineEdit* MemorandumTimeMaskEdit = nullptr;
    QPlainTextEdit* MemorandumMemo = nullptr;
    QPushButton* AddMemorandumButton = nullptr;
    QPushButton* ExitButton = nullptr;

    void FormCreate();
    void MemorandumMonthCalendarClick();
    void AddMemorandumButtonClick();
    void ExitButtonClick();
    void FormClose();

    //! Shows the dialog in the middle of the screen, in front.
    void ShowCentred();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    FeatureContext& ctx_;
    Memorandum& memorandum_;
};
