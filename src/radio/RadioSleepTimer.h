#pragma once

#include "scheduler/TimeText.h"

#include <QString>

#include <functional>
#include <iterator>
#include <optional>

class QBoxLayout;
class QComboBox;
class QLabel;
class QTimeEdit;
class QWidget;
struct Occurrence;

//! Stops the radio after a chosen while or at a time of day, lowering the volume over the
//! last seconds instead of cutting the sound. The end is a fixed moment: changing the
//! station or reconnecting a dropped stream does not move it; the owner cancels it when
//! the user stops the radio.
class RadioSleepTimer {
public:
    //! Builds its row into `layout` of the radio's group `parent`.
    RadioSleepTimer(QWidget* parent, QBoxLayout* layout);

    QComboBox* SleepTimerComboBox = nullptr;
    QTimeEdit* SleepTimeEdit = nullptr;
    QLabel* SleepTimerLabel = nullptr;

    static constexpr int kFadeSeconds = 10;
    //! The combo's choices after "不定时": minutes, then the time of day.
    static constexpr int kMinutes[] = {15, 30, 45, 60, 90};
    static int TimeOfDayIndex() { return 1 + int(std::size(kMinutes)); }

    //! The clock, read when the timer is set and once a second.
    std::function<LocalMoment()> Now;
    //! Over the last seconds: the share of the volume to play at, 100 down to 10; 100 again
    //! when the timer is cancelled during the fade.
    std::function<void(int percent)> Fade;
    //! The end has come: stop the radio.
    std::function<void()> Expired;
    //! The end was set or cancelled.
    std::function<void()> Changed;

    bool Armed() const { return deadline_.has_value(); }
    //! Seconds left, when armed.
    std::optional<qint64> Remaining() const;
    //! The end, when armed and not before `after`'s second.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;

    //! Sets the timer from the combo (and the time field) as they stand.
    void ArmFromControls();
    //! Back to "不定时", volume restored.
    void Cancel();
    //! Once a second: the remaining time, the fade, the end. Costs nothing when unarmed.
    void Check();

private:
    void ShowRemaining(qint64 left);

    std::optional<qint64> deadline_; // wall-clock second, as SecondOf counts them
    QString deadlineText_;
    bool fading_ = false;
};
