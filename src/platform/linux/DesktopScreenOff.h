#pragma once

#include "DesktopBus.h"
#include "ScreenOff.h"

#include <QObject>

namespace platform {

//! GNOME: Mutter's display power-save mode. Mutter does not end it by itself, so the
//! screen is switched on again at the next input, seen by Mutter's own idle monitor.
class MutterScreenOff : public QObject, public ScreenOff {
    Q_OBJECT
public:
    //! Talks to Mutter on the session bus, or on the bus at `busAddress` in tests.
    explicit MutterScreenOff(QString busAddress = {});
    ~MutterScreenOff() override;

    bool available() override;
    bool turnOff() override;

private Q_SLOTS:
    void WatchFired(uint id);

private:
    void SetPowerSaveMode(int mode);

    DesktopBus bus_;
    uint activeWatch_ = 0;
    bool listening_ = false;
};

//! KDE Plasma: the power management service's display control.
class KdeScreenOff : public ScreenOff {
public:
    explicit KdeScreenOff(QString busAddress = {});

    bool available() override;
    bool turnOff() override;

private:
    DesktopBus bus_;
};

} // namespace platform
