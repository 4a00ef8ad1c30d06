#pragma once

#include "power/AmountRule.h"

#include <QObject>
#include <QString>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class FeatureContext;

//! The run-time limit "系统运行": a power action once the system has been up for a set
//! number of hours, days or weeks. Uptime is the system's 32-bit millisecond count, so
//! after about 49.7 days it starts again from 0, and so does the limit.
class SystemRunShutdown : public QObject {
    Q_OBJECT
public:
    explicit SystemRunShutdown(FeatureContext& ctx);

    QGroupBox* SystemRunGroupBox = nullptr;
    QCheckBox* SystemRunCheckBox = nullptr;
    QLineEdit* SystemRunTimeEdit = nullptr;
    QComboBox* SystemRunComboBox = nullptr;
    QComboBox* SystemRunShutDownComboBox = nullptr;

    //! The inputs' settings keys and the values in effect while armed.
    AmountRule Rule;

    //! Milliseconds of uptime in one unit: 0 小时, 1 天, 2 星期; 0 for any other unit.
    static std::uint32_t UnitLength(int unit);

    void LoadSystemRunTimes();
    void SaveSystemRunTimes();
    void SystemRunCheckBoxClick();
    //! False when the limit is reached and the power action failed, or the unit is unknown.
    bool CheckSystemRun();

private:
    FeatureContext& ctx_;
    // The running time (ms) at which a warning was let go; the limit counts from there.
    std::uint32_t skippedAt_ = 0;
};
