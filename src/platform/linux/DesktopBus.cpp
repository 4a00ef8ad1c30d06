#include "DesktopBus.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace platform {

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
