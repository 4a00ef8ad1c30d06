#pragma once

#include <QString>

class FeatureContext;
class QPushButton;

//! The button "一键优化系统性能": writes the optimisation table after saving what it
//! replaces, then offers to restart the computer.
class KeyOptimization {
public:
    explicit KeyOptimization(FeatureContext& ctx);

    QPushButton* KeyOptimizationButton = nullptr;

    void KeyOptimizationButtonClick();

    //! The restart question, saying where the backup of the old values is.
    static QString RestartQuestion(const QString& backupPath);

private:
    FeatureContext& ctx_;
};
