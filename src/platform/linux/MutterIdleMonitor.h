#pragma once

#include "platform/IdleInput.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

class QTimer;

namespace platform {

//! Input activity from GNOME's idle monitor on the session bus
//! (org.gnome.Mutter.IdleMonitor, the seat's idle time in milliseconds). The idle time is
//! read at start and once a second after, never waiting for the answer; activity is a
//! fresh idle time, one shorter than the last or than a reading period and a half. Every
//! kind of input counts.
class MutterIdleMonitor : public IdleInput {
public:
    static constexpr int kPeriodMs = 1000;

    explicit MutterIdleMonitor(QDBusConnection bus = QDBusConnection::sessionBus());
    ~MutterIdleMonitor() override;
    MutterIdleMonitor(const MutterIdleMonitor&) = delete;
    MutterIdleMonitor& operator=(const MutterIdleMonitor&) = delete;

    //! False unless the monitor is on the bus (asked of the bus, with a short wait).
    bool start(std::function<void()> onActivity) override;
    void stop() override;
    bool listening() const override { return bool(context_); }

    //! Whether an idle time of `now` ms after a reading of `last` ms means input came.
    static bool IsActivity(quint64 last, quint64 now);

private:
    void read();
    void answered(quint64 idleMs);

    QDBusConnection bus_;
    std::unique_ptr<QObject> context_;
    QTimer* timer_ = nullptr;
    bool waiting_ = false;
    bool read_ = false;
    quint64 last_ = 0;
    std::function<void()> onActivity_;
};

} // namespace platform
