#pragma once

#include "platform/SystemClockSetter.h"

#include "NamedBus.h"

#include <QString>

#include <memory>

class QObject;

namespace platform {

//! Sets the clock through systemd-timedated on the system bus, without a password prompt.
//! Refused when the user lacks the right or automatic time synchronisation is on. The
//! asynchronous calls answer from the event loop, so a slow service never holds the window.
class TimedatedClockSetter : public SystemClockSetter {
public:
    TimedatedClockSetter();
    //! Talks to timedated on the bus at `busAddress` (a private bus in tests).
    explicit TimedatedClockSetter(QString busAddress);
    ~TimedatedClockSetter() override;

    bool setUtc(std::int64_t secondsSinceEpoch) override;
    void querySync(SyncAnswer answer) override;
    void setUtcMs(std::int64_t msSinceEpoch, Done done) override;

    //! What a refusal of SetTime, by its D-Bus error name, means.
    static Outcome OutcomeOfError(const QString& errorName);

private:
    NamedBus bus_;
    // Parent of the pending calls: they end, unanswered, with the setter.
    std::unique_ptr<QObject> calls_;
};

} // namespace platform
