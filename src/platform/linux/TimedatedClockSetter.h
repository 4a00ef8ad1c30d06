#pragma once

#include "platform/SystemClockSetter.h"

#include "SystemBus.h"

#include <QString>

class QDBusConnection;

namespace platform {

//! Sets the clock through systemd-timedated on the system bus, without a password prompt.
//! Refused when the user lacks the right or automatic time synchronisation is on.
class TimedatedClockSetter : public SystemClockSetter {
public:
    TimedatedClockSetter();
    //! Talks to timedated on the bus at `busAddress` (a private bus in tests).
    explicit TimedatedClockSetter(QString busAddress);
    ~TimedatedClockSetter() override;

    bool setUtc(std::int64_t secondsSinceEpoch) override;

private:
    SystemBus bus_;
};

} // namespace platform
