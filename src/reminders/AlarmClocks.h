#pragma once

#include "reminders/SoundPlayer.h"

#include <QString>
#include <QTime>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class FeatureContext;
struct LocalMoment;
struct Occurrence;

//! Two daily alarm clocks over one weekday range, and the ring that the memorandum
//! shares: the sound loops while a Yes-only box waits for its answer.
class AlarmClocks {
public:
    explicit AlarmClocks(FeatureContext& ctx);
    ~AlarmClocks();

    // Controls on the alarm page and, for the sound, on the settings page.
    QComboBox* AlarmClockWeekUpComboBox = nullptr;
    QComboBox* AlarmClockWeekDownComboBox = nullptr;
    QCheckBox* AlarmClockFirstCheckBox = nullptr;
    QLineEdit* AlarmClockFirstMaskEdit = nullptr;
    QLineEdit* AlarmClockFirstHintEdit = nullptr;
    QCheckBox* AlarmClockSecondCheckBox = nullptr;
    QLineEdit* AlarmClockSecondMaskEdit = nullptr;
    QLineEdit* AlarmClockSecondHintEdit = nullptr;
    QPushButton* SetAlarmClockSoundButton = nullptr;
    std::unique_ptr<SoundPlayer> AlarmClockMediaPlayer;

    // In-effect values, taken from the controls by the enable handlers.
    int WeekUp = 0;
    int WeekDown = 0;
    QString FirstTime;
    QString SecondTime;
    QString FirstHint;
    QString SecondHint;
    QString SoundPath;
    //! Set when the last open ring is answered; the next player notice clears it.
    bool AlarmDismissed = false;

    static QString DefaultHint();

    void LoadAlarmClocks();
    void SaveAlarmClocks();
    void AlarmClockFirstCheckBoxClick();
    void AlarmClockSecondCheckBoxClick();
    void SetAlarmClockSoundButtonClick();
    void CheckAlarmClocks();
    //! The first ring in the second `after` falls in or later, or none while neither is armed.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;
    //! Plays the sound in a loop and shows `message` until it is answered. The ring and
    //! its answer go into the record under `feature` as `what` (the message when empty).
    void RingAlarm(const QString& message, const QString& feature = QStringLiteral("闹钟"),
                   const QString& what = {});
    void AlarmClockMediaPlayerNotify();

    //! Told when the first ring box opens (true) and when the last one is answered
    //! (false): other sounds make way for the ring.
    std::function<void(bool ringing)> Ringing;

    //! Ring boxes open at this moment (they nest while ticks go on).
    int OpenRings() const { return openRings_; }
    //! The file rings play: fixed when the settings are loaded.
    const QString& PlayerFile() const { return playerFile_; }

private:
    void BuildAlarmGroup();
    void BuildSoundGroup();
    void EnableBoxClick(bool first);
    void TakeInEffectValues();

    FeatureContext& ctx_;
    std::optional<QTime> firstAt_;
    std::optional<QTime> secondAt_;
    QString playerFile_;
    int openRings_ = 0;
    int schedule_ = -1;
};
