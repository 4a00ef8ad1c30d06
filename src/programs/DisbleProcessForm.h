#pragma once

#include <QWidget>

class DisbleProcesses;
class FeatureContext;
class QComboBox;
class QLineEdit;
class QPushButton;

//! The entry dialog of one blocked program: its window title, two weekdays, two times.
//! Made once at start, shown without blocking the main window.
class TDisbleProcessForm : public QWidget {
    Q_OBJECT
public:
    TDisbleProcessForm(FeatureContext& ctx, DisbleProcesses& list);

    QLineEdit* DisbleProcessEdit = nullptr;
    QComboBox* DisbleProcessWeekUpComboBox = nullptr;
    QComboBox* DisbleProcessWeekDownComboBox = nullptr;
    QLineEdit* DisbleProcessTimeUpMaskEdit = nullptr;
    QLineEdit* DisbleProcessTimeDownMaskEdit = nullptr;
    QPushButton* AdddisbleProcessButton = nullptr;
    QPushButton* CloseButton = nullptr;

    void AdddisbleProcessButtonClick();
    void CloseButtonClick();
    //! Shows the dialog in the middle of the screen, in front.
    void ShowCentred();

private:
    FeatureContext& ctx_;
    DisbleProcesses& list_;
};
