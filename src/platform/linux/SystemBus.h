#pragma once

#include <QString>

class QDBusConnection;

namespace platform {

//! A named connection to the system bus (or, in tests, to a private bus at an address),
//! made when first asked for and made again after the bus was gone.
class SystemBus {
public:
    //! `purpose` names the connection ("logind"); an empty address is the system bus.
    SystemBus(const QString& purpose, QString busAddress);
    ~SystemBus();
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;

    QDBusConnection Connection() const;

private:
    QString busAddress_;
    QString connectionName_;
};

} // namespace platform
