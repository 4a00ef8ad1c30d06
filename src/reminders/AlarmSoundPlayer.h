#pragma once

#include "reminders/SoundPlayer.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QAudioOutput;
class QMediaPlayer;

//! The alarm's sound on Qt Multimedia. The media player is made at the first Open, so a
//! program that never rings never starts the media backend; while the backend comes up
//! the file and a play wait for it.
class AlarmSoundPlayer : public QObject, public SoundPlayer {
    Q_OBJECT
public:
    AlarmSoundPlayer();
    ~AlarmSoundPlayer() override;

    void Open(const QString& path) override;
    void Play() override;
    void Close() override;

    //! The media player behind the sound (null before the first Open); lets a test
    //! watch the real playback.
    QMediaPlayer* Media() const { return player_; }

private:
    void MakePlayer();
    //! True when the end just reported came far too early and the file plays again.
    bool EndedTooSoon();

    QMediaPlayer* player_ = nullptr;
    QAudioOutput* output_ = nullptr;
    bool open_ = false;
    bool waiting_ = false;
    bool playWanted_ = false;
    QString path_;
    //! Counts the files opened, so a late notice about an earlier one is recognised.
    unsigned source_ = 0;
    //! Time since the current file was last started, and whether it was started again.
    QElapsedTimer played_;
    bool retried_ = false;
};
