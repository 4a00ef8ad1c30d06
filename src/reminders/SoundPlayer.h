#pragma once

#include <QString>

#include <functional>
#include <memory>

//! What a ring needs of a sound player: open a file, play it from the start, close it,
//! and say when playback has reached the end of the file. Notices arrive from the event
//! loop, never from inside Play.
class SoundPlayer {
public:
    using Factory = std::function<std::unique_ptr<SoundPlayer>()>;

    virtual ~SoundPlayer() = default;

    //! Takes `path` as the file to play; a file that cannot be played stays silent.
    virtual void Open(const QString& path) = 0;
    //! Plays the open file, from its start when it stands at the end.
    virtual void Play() = 0;
    //! Stops and lets the file go; no notice follows.
    virtual void Close() = 0;

    void SetNotify(std::function<void()> notify) { notify_ = std::move(notify); }
    //! Called instead of the end notice when the open file turns out unplayable, so a
    //! chain of sounds can go on with the next one.
    void SetFailNotify(std::function<void()> failed) { failed_ = std::move(failed); }

    //! The Qt Multimedia player, or what SetFactory put in its place (tests).
    static std::unique_ptr<SoundPlayer> Create();
    //! An empty factory restores the Qt Multimedia player.
    static void SetFactory(Factory factory);

protected:
    void Notify()
    {
        if (notify_)
            notify_();
    }
    void NotifyFailed()
    {
        if (failed_)
            failed_();
    }

private:
    std::function<void()> notify_;
    std::function<void()> failed_;
};
