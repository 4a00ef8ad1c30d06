#pragma once

#include "platform/PowerActions.h"

#include "SystemBus.h"

#include <QString>

class QDBusConnection;

namespace platform {

//! Power actions through systemd-logind on the system bus; screen off through X11 DPMS.
//! When logind cannot be reached every mode fails, screen off included, so a rule never
//! reports success on a machine where none of its actions could work.
class LogindPowerActions : public PowerActions {
public:
    //! Talks to logind on the system bus.
    LogindPowerActions();
    //! Talks to logind on the bus at `busAddress` (a private bus in tests).
    explicit LogindPowerActions(QString busAddress);
    ~LogindPowerActions() override;

    bool run(unsigned mode) override;

private:
    SystemBus bus_;
};

} // namespace platform
