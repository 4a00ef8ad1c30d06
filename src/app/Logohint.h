#pragma once

#include <QDialog>

class QTimer;

//! The splash window: fades in from opacity 100 to 250 and closes on its 16th tick.
class TLogo : public QDialog {
    Q_OBJECT
public:
    explicit TLogo(QWidget* parent = nullptr);

    QTimer* Timer1 = nullptr;
    unsigned Counter = 0;
    quint8 AlphaBlendValue = 100;

    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
};
