#pragma once

#include "reminders/SoundPlayer.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class FeatureContext;
struct LocalMoment;
struct Occurrence;
class QCheckBox;

//! Speaks the time at every full and half hour as a chain of short recordings from
//! "TimeSound/" beside the program, on a player of its own so it can sound over an alarm.
class HalfHourChime {
public:
    explicit HalfHourChime(FeatureContext& ctx);
    ~HalfHourChime();

    QCheckBox* HintTimeCheckBox = nullptr;
    std::unique_ptr<SoundPlayer> HintTimeMediaPlayer;
    QString TimeSoundDir;
    //! Base names still to play for the current chime; empty between chimes.
    QStringList SpeechQueue;
    //! Index in SpeechQueue of the next name to play.
    int PlayPosition = 0;

    struct Spoken {
        const char* word;
        int hour;
    };
    //! The part-of-day word and the hour number said for an hour of the day (0 to 23).
    static Spoken PartOfDay(int hour);

    void LoadHalfHourChime();
    void HintTimeCheckBoxClick();
    void CheckHalfHourChime();
    //! The first full or half hour in the second `after` falls in or later, while the box is on.
    std::optional<Occurrence> NextDue(const LocalMoment& after) const;
    void SpeakTime(const QString& word, int hour, int minute);
    void HintTimeMediaPlayerNotify();

private:
    //! Plays the first of `names`, from the play position on, whose file is there.
    void PlayNext();
    void PlayFile(const QString& name);

    FeatureContext& ctx_;
    int schedule_ = -1;
};
