#pragma once

#include "platform/PowerActions.h"

#include "NamedBus.h"
#include "ScreenOff.h"

#include <QString>

#include <memory>

class QDBusConnection;

namespace platform {

//! Power actions through systemd-logind on the system bus; screen off through the desktop's
//! own way of doing it (X11 DPMS unless told otherwise).
//! When logind cannot be reached every mode fails, screen off included, so a rule never
//! reports success on a machine where none of its actions could work.
class LogindPowerActions : public PowerActions {
public:
    //! Talks to logind on the system bus.
    LogindPowerActions();
    //! Talks to logind on the bus at `busAddress` (a private bus in tests).
    explicit LogindPowerActions(QString busAddress);
    //! Screen off through `screenOff`; none: this desktop cannot turn its screen off.
    LogindPowerActions(QString busAddress, std::unique_ptr<ScreenOff> screenOff);
    ~LogindPowerActions() override;

    bool run(unsigned mode) override;
    bool offers(unsigned mode) override;

private:
    NamedBus bus_;
    std::unique_ptr<ScreenOff> screenOff_;
};

} // namespace platform
