#pragma once

#include "core/PowerRequests.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <optional>

class FeatureContext;
class PowerWarningForm;
class QCheckBox;
class QGroupBox;
class QLineEdit;

//! "执行前提醒": with the box checked, a due power rule opens a countdown on top of all
//! windows instead of acting at once. Nobody answering runs the action when the count
//! ends; "立即执行" runs it at once; "取消本次" lets this occasion go and the rule stays
//! armed. Screen off is never held. One countdown at a time: a rule that comes due
//! meanwhile waits for its turn. A rule switched off drops its countdown, and so does the
//! program's end.
class PowerWarning : public QObject, public PowerRequests::Warning {
    Q_OBJECT
public:
    static constexpr int kDefaultSeconds = 60;
    static constexpr int kMinSeconds = 5;
    static constexpr int kMaxSeconds = 3600;

    explicit PowerWarning(FeatureContext& ctx);
    ~PowerWarning() override;

    QGroupBox* PowerWarningGroupBox = nullptr;
    QCheckBox* WarnBeforeActionCheckBox = nullptr;
    QLineEdit* WarnSecondsEdit = nullptr;
    //! The countdown window, shown while a countdown runs.
    PowerWarningForm* Form = nullptr;

    //! In effect while the box is checked.
    int WarnSeconds = kDefaultSeconds;
    //! Asked before a button of the countdown acts (the password lock's question); false
    //! leaves the countdown running. The countdown goes on while it is asked, so that
    //! nobody can hold the action back by leaving the question open.
    std::function<bool()> MayAnswer;

    void LoadPowerTasks();
    void WarnBeforeActionCheckBoxClick();
    //! One second of the countdown; nothing to do while none runs.
    void CountDownPowerWarning();
    //! What the buttons of the countdown window do, once allowed.
    void ActNow();
    void SkipOnce();
    //! A button of the countdown window: `act` if MayAnswer allows it and the same
    //! countdown still runs after the question.
    void Answer(void (PowerWarning::*act)());

    //! "60 秒后将关机".
    static QString CountdownText(int seconds, PowerMode mode);

    bool Hold(PowerRequest& request) override;
    bool Holding(PowerRule rule) const override;
    void Drop(PowerRule rule, const QString& why) override;

private:
    void Open(PowerRequest request);
    //! Ends the running countdown and hides its window; its request.
    PowerRequest Close();
    //! The countdown of the rule that waited longest, when none runs.
    void OpenNext();

    FeatureContext& ctx_;
    std::optional<PowerRequest> current_;
    // Counts the countdowns opened, so that an answer given late is not taken for a later one.
    quint64 opened_ = 0;
    bool answering_ = false;
    std::deque<PowerRequest> waiting_;
    int remaining_ = 0;
    // The tick that opened the countdown does not count: the whole time is given.
    bool justOpened_ = false;
    // Last: undone first when the warning goes, before the countdown state it guards.
    PowerRequests::Hook hook_;
};
