#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <functional>

//! Runs the event loop until `done` holds or `ms` have passed; whether it holds.
inline bool WaitFor(const std::function<bool()>& done, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

//! Runs the event loop until `done` holds or `ms` pass; records the longest gap between
//! two turns of the loop, which is how long the UI would have frozen.
struct WatchedLoop {
    qint64 longestGapMs = 0;

    bool RunUntil(const std::function<bool()>& done, int ms)
    {
        QDeadlineTimer deadline(ms);
        QElapsedTimer gap;
        gap.start();
        while (!deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            longestGapMs = std::max(longestGapMs, gap.restart());
            if (done())
                return true;
            QThread::msleep(5);
            gap.restart();
        }
        return done();
    }
    void Run(int ms)
    {
        RunUntil([] { return false; }, ms);
    }
};
