#pragma once

#include "reminders/SoundPlayer.h"

#include <QStringList>

//! A player that only remembers what it was told; the test says when the sound ends.
class FakeSoundPlayer : public SoundPlayer {
public:
    QString file;
    bool open = false;
    bool playing = false;
    int plays = 0;
    //! "open <file>", "play", "close" in order.
    QStringList log;

    void Open(const QString& path) override
    {
        file = path;
        open = true;
        playing = false;
        log << QStringLiteral("open ") + path;
    }
    void Play() override
    {
        if (!open)
            return;
        playing = true;
        ++plays;
        log << QStringLiteral("play");
    }
    void Close() override
    {
        open = false;
        playing = false;
        log << QStringLiteral("close");
    }

    //! The sound has played to its end, as the real player reports it.
    void ReachEnd()
    {
        if (!playing)
            return;
        playing = false;
        Notify();
    }
    //! The open file turned out unplayable.
    void Fail()
    {
        if (!open)
            return;
        playing = false;
        NotifyFailed();
    }
};
