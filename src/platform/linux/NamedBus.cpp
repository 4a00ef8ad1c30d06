#include "NamedBus.h"

#include <atomic>

namespace platform {

NamedBus::NamedBus(const QString& purpose, QString busAddress, QDBusConnection::BusType type)
    : busAddress_(std::move(busAddress)), type_(type)
{
    static std::atomic<int> serial{0};
    connectionName_ = QStringLiteral("quorlin-%1-%2").arg(purpose).arg(++serial);
}

NamedBus::~NamedBus()
{
    QDBusConnection::disconnectFromBus(connectionName_);
}

QDBusConnection NamedBus::Connection() const
{
    QDBusConnection connection = busAddress_.isEmpty()
                                     ? QDBusConnection::connectToBus(type_, connectionName_)
                                     : QDBusConnection::connectToBus(busAddress_, connectionName_);
    // A bus that was not there at the last attempt may be there at the next one.
    if (!connection.isConnected())
        QDBusConnection::disconnectFromBus(connectionName_);
    return connection;
}

} // namespace platform
