#pragma once

#include "power/AmountRule.h"

#include <QObject>
#include <QString>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class FeatureContext;

//! Idle power saving "智能省电模式": a power action once nobody has pressed a key or
//! moved the mouse for a set number of minutes, hours or days. It counts ticks; the
//! system's idle signal sets the count back to 0. After firing it counts again from 0.
class EconomizePowerShutdown : public QObject {
    Q_OBJECT
public:
    explicit EconomizePowerShutdown(FeatureContext& ctx);
    ~EconomizePowerShutdown() override;

    QGroupBox* EconomizePowerGroupBox = nullptr;
    QCheckBox* EconomizePowerCheckBox = nullptr;
    QLineEdit* EconomizePowerMaskEdit = nullptr;
    QComboBox* EconomizePowerComboBox = nullptr;
    QComboBox* EconomizePowerShutDownComboBox = nullptr;

    //! The inputs' settings keys and the values in effect while armed.
    AmountRule Rule;
    //! Ticks since the last key press or movement, while armed and listening.
    int IdleCounter = 0;

    void LoadEconomizePowers();
    void SaveEconomizePowers();
    void EconomizePowerCheckBoxClick();
    //! False when the idle time is reached and the power action failed, or the unit is
    //! unknown.
    bool CheckEconomizePower();
    //! Why the rule was not armed: the desktop cannot tell when it is in use.
    static QString NoIdleSourceText();
    //! Stops listening for input, if we listen.
    void ReleaseInputHook();

    //! Why 关闭屏幕 is refused where the desktop cannot turn its screen off.
    static const QString kNoScreenOff;

private:
    bool ScreenOffOffered() const;

    FeatureContext& ctx_;
};
