#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

//! Brings the media backend up on a thread of its own when it is first needed, so that
//! the first player finds it ready: on a fresh install GStreamer's plugin registry scan
//! alone takes most of a second, which would freeze the window at the first play; and a
//! program that never plays a sound never loads the backend (some 14 MB).
//! One lives while the program runs; without one, players start at once as before.
class MediaBackend : public QObject {
    Q_OBJECT
public:
    MediaBackend();
    //! Waits for a start-up under way to end (it cannot be cut short).
    ~MediaBackend() override;
    MediaBackend(const MediaBackend&) = delete;
    MediaBackend& operator=(const MediaBackend&) = delete;

    //! True once the backend is up (always without a MediaBackend).
    static bool Ready();
    //! Starts bringing the backend up, unless that has begun.
    static void Warm();
    //! Runs `then` on the UI thread once the backend is up, at once when it is, starting
    //! it when needed; not at all when `context` is gone by then.
    static void WhenReady(QObject* context, std::function<void()> then);

signals:
    void Up();

private:
    std::atomic<bool> up_{false};
    std::thread thread_;
    inline static MediaBackend* instance_ = nullptr;
};
