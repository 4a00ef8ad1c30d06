#pragma once

#include <QDBusConnection>
#include <QString>

namespace platform {

//! A named connection to the session bus (or, in tests, to a private bus at an address),
//! made when first asked for and made again after the bus was gone.
class DesktopBus {
public:
    //! `purpose` names the connection; an empty address is the session bus.
    DesktopBus(const QString& purpose, QString busAddress);
    ~DesktopBus();
    DesktopBus(const DesktopBus&) = delete;
    DesktopBus& operator=(const DesktopBus&) = delete;

    QDBusConnection Connection() const;
    //! Whether `service` has an owner on the bus now.
    bool Has(const QString& service) const;

private:
    QString busAddress_;
    QString connectionName_;
};

//! How long a call to the desktop's own services may hold the window: a desktop that does
//! not answer this soon is treated as not answering at all.
inline constexpr int kDesktopCallMs = 100;

} // namespace platform
