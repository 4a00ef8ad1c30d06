#pragma once

#include <QString>

class FeatureContext;
class QPushButton;

//! The button "一键优化系统性能": writes the optimisation table after saving what it
//! replaces, then offers to restart the computer. The values tune Windows only: elsewhere
//! the button is disabled and says so.
class KeyOptimization {
public:
    explicit KeyOptimization(FeatureContext& ctx);

    QPushButton* KeyOptimizationButton = nullptr;

    void KeyOptimizationButtonClick();

    //! The restart question, saying which backup restores what: `firstBackup` the state
    //! before any optimisation, `thisBackup` the state before this press.
    static QString RestartQuestion(const QString& firstBackup, const QString& thisBackup);

private:
    FeatureContext& ctx_;
};
