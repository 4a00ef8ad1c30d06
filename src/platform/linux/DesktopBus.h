#pragma once

#include "NamedBus.h"

namespace platform {

//! A named connection to the session bus, where the desktop's own services are.
class DesktopBus : public NamedBus {
public:
    //! `purpose` names the connection; an empty address is the session bus.
    DesktopBus(const QString& purpose, QString busAddress)
        : NamedBus(QStringLiteral("desktop-") + purpose, std::move(busAddress),
                   QDBusConnection::SessionBus)
    {
    }

    //! Whether `service` has an owner on the bus now.
    bool Has(const QString& service) const;
};

//! How long a call to the desktop's own services may hold the window: a desktop that does
//! not answer this soon is treated as not answering at all.
inline constexpr int kDesktopCallMs = 100;

} // namespace platform
