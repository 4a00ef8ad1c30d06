#include "scheduler/WallClockWake.h"

#include <QSocketNotifier>
#include <QTimer>

#ifdef Q_OS_LINUX
#include <sys/timerfd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <unistd.h>
#endif

WallClockWake::WallClockWake(QObject* parent) : QObject(parent)
{
#ifdef Q_OS_LINUX
    fd_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ >= 0) {
        notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { OnReadable(); });
        return;
    }
#endif
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
        active_ = false;
        emit Woken();
    });
}

WallClockWake::~WallClockWake()
{
#ifdef Q_OS_LINUX
    if (fd_ >= 0) {
        delete notifier_;
        ::close(fd_);
    }
#endif
}

void WallClockWake::Start(int delayMs)
{
    active_ = true;
    if (timer_) {
        timer_->start(delayMs);
        return;
    }
#ifdef Q_OS_LINUX
    // An absolute time on the real-time clock: cancelled by a clock set, and due at once
    // after a resume that passed it. Zero would disarm: the earliest is one nanosecond.
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t ns = std::int64_t(now.tv_nsec) + std::int64_t(qMax(delayMs, 0)) * 1'000'000;
    itimerspec when{};
    when.it_value.tv_sec = now.tv_sec + ns / 1'000'000'000;
    when.it_value.tv_nsec = long(ns % 1'000'000'000);
    if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0)
        when.it_value.tv_nsec = 1;
    timerfd_settime(fd_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr);
#endif
}

void WallClockWake::Stop()
{
    active_ = false;
    if (timer_) {
        timer_->stop();
        return;
    }
#ifdef Q_OS_LINUX
    const itimerspec off{};
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &off, nullptr);
#endif
}

void WallClockWake::OnReadable()
{
#ifdef Q_OS_LINUX
    std::uint64_t expirations = 0;
    const ssize_t n = ::read(fd_, &expirations, sizeof expirations);
    if (n < 0 && errno == ECANCELED) {
        // The clock was set: the armed time means nothing now. Keep the fd quiet until the
        // caller aims again (a disarmed timer without the cancel flag is not woken).
        Stop();
        emit ClockSet();
        return;
    }
    if (n != sizeof expirations || !active_)
        return;
    active_ = false;
    emit Woken();
#endif
}
