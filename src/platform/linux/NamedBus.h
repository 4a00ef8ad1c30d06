#pragma once

#include <QDBusConnection>
#include <QString>

namespace platform {

//! A named connection to the system or the session bus (or, in tests, to a private bus at
//! an address), made when first asked for and made again after the bus was gone.
class NamedBus {
public:
    //! `purpose` names the connection ("logind"); an empty address is the bus of `type`.
    NamedBus(const QString& purpose, QString busAddress,
             QDBusConnection::BusType type = QDBusConnection::SystemBus);
    ~NamedBus();
    NamedBus(const NamedBus&) = delete;
    NamedBus& operator=(const NamedBus&) = delete;

    QDBusConnection Connection() const;

private:
    QString busAddress_;
    QString connectionName_;
    QDBusConnection::BusType type_;
};

} // namespace platform
