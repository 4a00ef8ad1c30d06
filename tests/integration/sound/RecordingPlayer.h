#pragma once

#include "reminders/AlarmSoundPlayer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QMediaPlayer>

#include <functional>
#include <vector>

//! The real player, with each end it reports written down before the feature handles it.
class RecordingPlayer : public SoundPlayer {
public:
    struct Heard {
        QString file;
        bool failed;
        //! Since the file was opened.
        qint64 playedMs, position, duration;
    };

    RecordingPlayer()
    {
        real.SetNotify([this] { Note(false, [this] { Notify(); }); });
        real.SetFailNotify([this] { Note(true, [this] { NotifyFailed(); }); });
    }
    void Open(const QString& path) override
    {
        file_ = QFileInfo(path).completeBaseName();
        clock_.start();
        real.Open(path);
    }
    void Play() override { real.Play(); }
    void Close() override { real.Close(); }

    AlarmSoundPlayer real;
    std::vector<Heard> heard;

private:
    void Note(bool failed, const std::function<void()>& pass)
    {
        heard.push_back(
            {file_, failed, clock_.elapsed(), real.Media()->position(), real.Media()->duration()});
        pass();
    }
    QString file_;
    QElapsedTimer clock_;
};
