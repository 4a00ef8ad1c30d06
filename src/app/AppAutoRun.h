#pragma once

class FeatureContext;
class QCheckBox;

//! The box "开机启动" on the page "设置": the program's own entry among the programs the
//! desktop starts at login, kept in step with its key in the settings file.
class AppAutoRun {
public:
    explicit AppAutoRun(FeatureContext& ctx);

    QCheckBox* AutoRunCheckBox = nullptr;

    //! Checks the box as stored (checked on a first start), which writes the entry.
    void LoadAppAutoRun();
    void AutoRunCheckBoxClick();

private:
    FeatureContext& ctx_;
};
