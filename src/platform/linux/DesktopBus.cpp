#include "DesktopBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

#include <atomic>

namespace platform {

DesktopBus::DesktopBus(const QString& purpose, QString busAddress)
    : busAddress_(std::move(busAddress))
{
    static std::atomic<int> serial{0};
    connectionName_ = QStringLiteral("quorlin-desktop-%1-%2").arg(purpose).arg(++serial);
}

DesktopBus::~DesktopBus()
{
    QDBusConnection::disconnectFromBus(connectionName_);
}

QDBusConnection DesktopBus::Connection() const
{
    QDBusConnection connection =
        busAddress_.isEmpty()
            ? QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName_)
            : QDBusConnection::connectToBus(busAddress_, connectionName_);
    if (!connection.isConnected())
        QDBusConnection::disconnectFromBus(connectionName_);
    return connection;
}

bool DesktopBus::Has(const QString& service) const
{
    const QDBusConnection bus = Connection();
    if (!bus.isConnected())
        return false;
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask.setArguments({service});
    const QDBusMessage reply = bus.call(ask, QDBus::Block, kDesktopCallMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toBool();
}

} // namespace platform
