#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

//! Brings the media backend up on a thread of its own at start, so that the first player
//! the window creates finds it ready: on a fresh install GStreamer's plugin registry scan
//! alone takes most of a second, which would freeze the window at the first play.
//! One lives while the program runs; without one, players start at once as before.
class MediaBackend : public QObject {
    Q_OBJECT
public:
    MediaBackend();
    //! Waits for the start-up to end (it cannot be cut short).
    ~MediaBackend() override;
    MediaBackend(const MediaBackend&) = delete;
    MediaBackend& operator=(const MediaBackend&) = delete;

    //! True unless a start-up is under way.
    static bool Ready();
    //! Runs `then` on the UI thread once the backend is up, at once when it is; not at all
    //! when `context` is gone by then.
    static void WhenReady(QObject* context, std::function<void()> then);

signals:
    void Up();

private:
    std::atomic<bool> up_{false};
    std::thread thread_;
    inline static MediaBackend* instance_ = nullptr;
};
