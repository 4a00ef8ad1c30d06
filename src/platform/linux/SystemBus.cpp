#include "SystemBus.h"

#include <QDBusConnection>

#include <atomic>

namespace platform {

SystemBus::SystemBus(const QString& purpose, QString busAddress)
    : busAddress_(std::move(busAddress))
{
    static std::atomic<int> serial{0};
    connectionName_ = QStringLiteral("quorlin-%1-%2").arg(purpose).arg(++serial);
}

SystemBus::~SystemBus()
{
    QDBusConnection::disconnectFromBus(connectionName_);
}

QDBusConnection SystemBus::Connection() const
{
    QDBusConnection connection =
        busAddress_.isEmpty()
            ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, connectionName_)
            : QDBusConnection::connectToBus(busAddress_, connectionName_);
    // A bus that was not there at the last attempt may be there at the next one.
    if (!connection.isConnected())
        QDBusConnection::disconnectFromBus(connectionName_);
    return connection;
}

} // namespace platform
